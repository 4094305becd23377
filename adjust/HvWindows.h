#pragma once
// The CRT's high voltage, focus, G2 and video +80 V controls. Two windows: "High Voltage" (8-bit controls with the
// HV limits and the anode readings) and "Adjust High Voltage, Focus, G2" (the 6-bit controls of the G2 adjustment
// board). Their values are not DACs of the model: the monitor keeps one present value per control and a factory value,
// read with "dh" and set with "ch" + the control's letter. Both show the model's HV controls, limits and anode
// readings when they open and when those change; a present value moves its slider inside the send policy's
// Showing scope, so that showing what the monitor holds never sends it back. A value beyond a row's range (HV 182 on
// the 6-bit window) is shown as it is and that row sends nothing; the 6-bit window then says so and offers the
// High Voltage window, whose 8-bit rows take the whole range.
#include "ui/DacAdjustWindow.h"
#include "ui/ShownReadings.h"

// Rows of the HV controls (present value on the slider, default beside it) and the readings around them.
class HvWindow : public DacAdjustWindow, public DiagnosticView {
    Q_OBJECT
public:
    using DacAdjustWindow::DacAdjustWindow;

    // A changed HV answer moves every row's slider to the monitor's present value.
    void showDiagnostics(DiagnosticParts changed) override;
    // The rows whose monitor value lies beyond their range, as "caption value", in row order.
    QStringList valuesBeyondRange() const;
    void forgetMonitorValues() override;

protected:
    // One row per control, in the order of the answer's values that it shows.
    struct ControlRow {
        const char* caption;
        int answerIndex; // 0 HV, 1 focus, 2 G2, 3 +80 V
    };
    // defaultPattern: the digits the factory column shows the monitor's default with.
    void addControlRows(const DacRowNames& names, const QList<ControlRow>& rows, int max, int largeChange, int firstTop,
                        int pitch, const QString& defaultPattern);
    // Loading and activation: the model's readings, and the present values of rows that show none yet.
    void fillFromModel() override;
    // Queues the requests to a monitor that answers.
    void sendToMonitor(const QStringList& requests);
    // After the HV answer has been shown.
    virtual void hvControlsShown() {}

    DacRowGroup* m_rows = nullptr;
    QList<int> m_answerIndex; // per row
    ShownReadings m_shown;

private:
    // everyRow: also the rows that show a present value already (a new answer); otherwise only those that do not.
    void showHvControls(bool everyRow);

    QString m_defaultPattern;
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
