#pragma once
// "Load Software": the flash and SRAM downloads, running the SRAM program, reset, the firmware version, auto
// boot, the V1 boot mode and the download logging switch.
#include "ui/ChildWindow.h"

class QCheckBox;
class QLabel;

class FrmSoftware : public ChildWindow {
    Q_OBJECT
public:
    explicit FrmSoftware(AppContext& ctx);

    // "V " and the version, after "Read".
    void showFirmwareVersion(const QString& text);

signals:
    // "Set V1 Boot Mode" became checked: the tool takes the monitor to be in its boot block.
    void v1BootModeChosen();

private:
    QLabel* m_lblFlashVersion;
    QLabel* m_lblSRAMFile;
    QCheckBox* m_ckV1BootMode;
    QCheckBox* m_bootLogCheck;
};
