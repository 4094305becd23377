#pragma once
// "Version": the monitor's firmware and boot EPROM versions and the tool's own version.
#include "ui/ChildWindow.h"

class QLabel;

class FrmVersion : public ChildWindow {
    Q_OBJECT
public:
    explicit FrmVersion(AppContext& ctx);

    // Activation and "ReRead" read both versions.
    void onActivated() override;
    void reRead();
    // "V " and the version digits, as the version answers give them.
    void showFirmwareVersion(const QString& text);
    void showEpromVersion(const QString& text);

private:
    QLabel* m_firmware;
    QLabel* m_eprom;
};
