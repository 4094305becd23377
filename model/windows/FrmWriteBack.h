#pragma once
// "Write File to Monitor": the progress of a data file being written to the monitor, and its Cancel button.
#include "ui/ChildWindow.h"

class QLabel;
class QProgressBar;
class QPushButton;

class FrmWriteBack : public ChildWindow {
    Q_OBJECT
public:
    explicit FrmWriteBack(AppContext& ctx);

    // A new write of the named file: gauge at 0, Cancel available.
    void begin(const QString& fileTitle);
    void setProgress(int done, int total);
    // Closing the window stops the write as Cancel does.
    void onClosedToHidden() override;

signals:
    void cancelRequested();

private:
    QLabel* m_file;
    QLabel* m_status;
    QProgressBar* m_gauge;
    QPushButton* m_cancel;
};
