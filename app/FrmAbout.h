#pragma once
#include <QDialog>

struct AppContext;

// The about window (modeless; keeps no placement).
class FrmAbout : public QDialog {
    Q_OBJECT
public:
    FrmAbout(AppContext& ctx, QWidget* parent = nullptr);
    static QString descriptionText();
    // Version, Qt version, build date and settings file, one per line: what a fault report needs.
    QString detailsText() const;
    // Starts a system-information program where one is installed, else says it is unavailable.
    void startSysInfo();
    void copyDetails();

private:
    AppContext& m_ctx;
};
