#pragma once
#include <QDialog>

struct AppContext;

// The about window (modeless; keeps no placement).
class FrmAbout : public QDialog {
    Q_OBJECT
public:
    FrmAbout(AppContext& ctx, QWidget* parent = nullptr);
    static QString descriptionText();
    // Starts a system-information program where one is installed, else says it is unavailable.
    void startSysInfo();

private:
    AppContext& m_ctx;
};
