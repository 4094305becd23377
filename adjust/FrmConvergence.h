#pragma once
// Convergence details: the 24 convergence DACs, four sliders per group, each with a value label array that holds
// the present values (elements 0-3, shown after a blank), the initial values (4-7) and the factory values (8-11).
// The factory and initial buttons take their values from the labels. The goal and compact windows move these
// sliders through the coupling table, always from the values the monitor holds: the answers reach this window
// also when it is not open (it is then created hidden), and a step whose sliders do not show the monitor's values
// yet is not made (their reads are queued, and the user is told).
#include "ui/DacAdjustWindow.h"

class QCheckBox;

class FrmConvergence : public DacAdjustWindow {
    Q_OBJECT
public:
    explicit FrmConvergence(AppContext& ctx, QWidget* parent = nullptr);

    // Nothing is locked on (de)activation. The monitor is read when the window is first opened (not when an
    // answer creates it hidden) and by "ReRead Values".
    void onActivated() override;
    void onDeactivated() override {}

    void saveInitialSettings() override;
    // Every slider to the middle of its range, rounded half to even (32 of 0-63, 128 of 0-255).
    void centerAll();
    void reRead();
    // Moves the coupled sliders for screen position p (1-9), colour q (1-3), direction r (1-4) by step; each
    // stops at its slider's ends. Anything out of range moves nothing. While a coupled slider does not show the
    // monitor's value (a read of its group is still to be answered, or none was made: it is queued), or holds a
    // value beyond its range, nothing moves; the result then says why (empty when the step was made).
    QString applyCoupling(int p, int q, int r, int step);
    static QString stepBeforeValues() {
        return QStringLiteral("The convergence values are still being read from the monitor: the step was not made.");
    }
    static QString stepBeyondRange() {
        return QStringLiteral("A convergence control this step moves holds a value outside its range: the step was "
                              "not made.");
    }
    // The present position of every slider into its initial label.
    void copyPresentToInitialLabels();
    // Slider array number (1-6) and element (0-3), as the coupling table names them; nullptr for none.
    QScrollBar* slider(int arrayNumber, int element) const;

    static int centreOf(int min, int max);
    static QString initialValuesMissing() { return QStringLiteral("Initial values are not properly set up."); }

protected:
    bool buttonValuesReady() override;

private:
    struct Step {
        int p, q, r, step;
    };
    // The sliders a step moves, with their coefficients.
    QList<QPair<QScrollBar*, int>> coupled(const Step& s) const;
    bool readPending(QChar letter) const;

    QCheckBox* m_onOff = nullptr;
    bool m_readOnOpening = true;
};
