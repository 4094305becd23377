#pragma once
// "Download Progress": the gauge and retry count of a running download, and its Abort button.
#include "ui/ChildWindow.h"

class QLabel;
class QProgressBar;

class FrmBootProgress : public ChildWindow {
    Q_OBJECT
public:
    explicit FrmBootProgress(AppContext& ctx);

    void setGauge(int percent);
    void setRetryText(const QString& text);
    // What the monitor is busy with before the first record, and for how long; an empty text clears it.
    void setStartWait(const QString& what, int seconds);

private:
    QProgressBar* m_gauge;
    QLabel* m_retryLabel;
    QLabel* m_waitLabel;
};
