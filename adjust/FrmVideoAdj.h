#pragma once
// Colour balance: red, green and blue gains and offsets of the video amplifier (video group, indices 2 to 7),
// white level and bias (bias group), and on the monitors that have them six low-brightness colour offsets,
// signed values carried on 0-255 sliders (position = offset + 128).
#include "protocol/FirmwareClass.h"
#include "ui/DacAdjustWindow.h"

class QPushButton;

class FrmVideoAdj : public DacAdjustWindow {
    Q_OBJECT
public:
    explicit FrmVideoAdj(AppContext& ctx, QWidget* parent = nullptr);

    void onActivated() override;

    // The low-brightness offset rows read from the monitor: Current carries slider positions, Factory and
    // Initial the signed offsets.
    void showOffsets(DacKind kind, const QVector<int>& values);
    // What the monitor family set-up changes here, after a firmware-version answer.
    void applyFamilySetUp(int firmwareClass);

    bool offsetRowsShown() const { return m_offsetRowsShown; }
    // The firmware classes that read and save the offset rows.
    static bool offsetsReadable(int firmwareClass) { return FirmwareClass::hasVideoOffsets(firmwareClass); }

    DacRowGroup* videoRows() const { return m_video; }
    DacRowGroup* biasRows() const { return m_bias; }
    DacRowGroup* offsetRows() const { return m_offsets; }

protected:
    void queueReads() override;

private:
    void setOffsetRowsShown(bool shown);
    // Buttons and window height for the rows shown.
    void layOut();

    DacRowGroup* m_video = nullptr;
    DacRowGroup* m_bias = nullptr;
    DacRowGroup* m_offsets = nullptr;
    QPushButton* m_factoryButton = nullptr;
    QPushButton* m_initialButton = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    bool m_offsetRowsShown = false;
};
