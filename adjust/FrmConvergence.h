#pragma once
// Convergence details: the 24 convergence DACs, four sliders per group, each with a value label array that holds
// the present values (elements 0-3, shown after a blank), the initial values (4-7) and the factory values (8-11).
// The sliders send under allowControlSend; the factory and initial buttons take their values from the labels.
// The goal and compact windows move these sliders through the coupling table.
#include "ui/DacAdjustWindow.h"

class QCheckBox;

class FrmConvergence : public DacAdjustWindow {
    Q_OBJECT
public:
    explicit FrmConvergence(AppContext& ctx, QWidget* parent = nullptr);

    // Nothing is read or locked on (de)activation: loading and "ReRead Values" read the monitor.
    void onActivated() override {}
    void onDeactivated() override {}

    void saveInitialSettings() override;
    // Every slider to the middle of its range, rounded half to even (32 of 0-63, 128 of 0-255).
    void centerAll();
    void reRead();
    // Moves the coupled sliders for screen position p (1-9), colour q (1-3), direction r (1-4) by step; each
    // stops at its slider's ends. Anything out of range moves nothing.
    void applyCoupling(int p, int q, int r, int step);
    // The present position of every slider into its initial label.
    void copyPresentToInitialLabels();
    // Slider array number (1-6) and element (0-3), as the coupling table names them; nullptr for none.
    QScrollBar* slider(int arrayNumber, int element) const;

    static int centreOf(int min, int max);
    static QString initialValuesMissing() { return QStringLiteral("Initial values are not properly set up."); }

protected:
    bool buttonValuesReady() override;

private:
    QCheckBox* m_onOff = nullptr;
};
