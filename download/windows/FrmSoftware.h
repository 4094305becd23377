#pragma once
// "Load Software": the flash and SRAM downloads, running the SRAM program, reset, the firmware version, auto
// boot, the V1 boot mode and the download logging switch. It asks what a download needs from the user (the
// confirmation, the image, whether to abandon a running one) and shows how every download ended.
#include "download/DownloadEngine.h"
#include "ui/ChildWindow.h"

class QCheckBox;
class QLabel;

class FrmSoftware : public ChildWindow {
    Q_OBJECT
public:
    explicit FrmSoftware(AppContext& ctx);

    void onActivated() override;

    // "V " and the version, after "Read" (and the one read on connecting, when the window opens).
    void showFirmwareVersion(const QString& text);

signals:
    // "Set V1 Boot Mode" became checked: the tool takes the monitor to be in its boot block.
    void v1BootModeChosen();

private:
    void load(DownloadEngine::Kind kind);
    // A second "Load" while a download runs: true when the user gives the running one up.
    bool abandonRunning();
    // The file dialog; empty when cancelled.
    QString chooseImage();
    // The box that says how the download ended.
    void tellEnd(const DownloadEngine::Verdict& verdict);

    QLabel* m_lblFlashVersion;
    QLabel* m_lblSRAMFile;
    QCheckBox* m_ckV1BootMode;
    QCheckBox* m_bootLogCheck;
};
