#pragma once
// The CRT's high voltage, focus, G2 and video +80 V controls. Two windows: "High Voltage" (8-bit controls with the
// HV limits and the anode readings) and "Adjust High Voltage, Focus, G2" (the 6-bit controls of the G2 adjustment board).
// Their values are not DACs of the model: the monitor keeps one present value per control and a factory value,
// read with "dh" and set with "ch" + the control's letter. The HV answer moves their sliders with the send flag
// cleared, so that showing what the monitor holds never sends it back. A value beyond a row's range (HV 182 on
// the 6-bit window) is shown as it is and that row sends nothing; the 6-bit window then says so and offers the
// High Voltage window, whose 8-bit rows take the whole range.
#include "ui/DacAdjustWindow.h"

struct HvControls;

// Rows of controls that the HV answer fills: slider positions from the answer, texts by control name.
class HvWindow : public DacAdjustWindow {
    Q_OBJECT
public:
    using DacAdjustWindow::DacAdjustWindow;

    // The present values of the HV answer (HV, focus, G2, +80 V) on the sliders, with sending off meanwhile.
    void showHvControls(const HvControls& values);
    // A text of the answers (limits, factory values, anode readings) in the named box or label.
    void showControlText(const QString& control, const QString& text);
    // The rows whose monitor value lies beyond their range, as "caption value", in row order.
    QStringList valuesBeyondRange() const;
    void forgetMonitorValues() override;

protected:
    // One row per control, in the order of the answer's values that it shows.
    struct ControlRow {
        const char* caption;
        int answerIndex; // 0 HV, 1 focus, 2 G2, 3 +80 V
    };
    void addControlRows(const DacRowNames& names, const QList<ControlRow>& rows, int max, int largeChange, int firstTop,
                        int pitch);
    // Queues the requests to a monitor that answers.
    void sendToMonitor(const QStringList& requests);
    // After the HV answer has been shown.
    virtual void hvControlsShown() {}

    DacRowGroup* m_rows = nullptr;
    QList<int> m_answerIndex; // per row
};

// "High Voltage".
class FrmMDI_HV : public HvWindow {
    Q_OBJECT
public:
    explicit FrmMDI_HV(AppContext& ctx, QWidget* parent = nullptr);

protected:
    void queueReads() override;
};

// "Adjust High Voltage, Focus, G2", for monitors of firmware class 200 to 299.
class FrmG2 : public HvWindow {
    Q_OBJECT
public:
    explicit FrmG2(AppContext& ctx, QWidget* parent = nullptr);

protected:
    void queueReads() override;
    // The note and the button to the High Voltage window, shown while a value is beyond the 6-bit rows.
    void hvControlsShown() override;

private:
    QLabel* m_beyondNote = nullptr;
    QPushButton* m_toHighVoltage = nullptr;
};
