#pragma once
// Convergence goals: the user chooses one of nine screen positions and moves a colour in one of four directions
// there; the coupling table turns that into steps of several sliders of the convergence details window. The
// compact window carries only the direction buttons, for the position chosen here. Both stand on the plain window
// base: they show no DAC rows of their own.
#include "ui/ChildWindow.h"

#include <QList>
#include <functional>

class FrmConvergence;
class QGridLayout;
class QPushButton;

// Direction button n (1-24): colour q (1 red, 2 green, 3 blue), direction r (1-4), step 1 (fine) or 16 (coarse).
struct ConvergenceStep {
    int colour = 0;
    int direction = 0;
    int step = 0;
    static ConvergenceStep ofButton(int n);
};

// The 24 direction buttons "btnAdjConv(1)" to "btnAdjConv(24)" in a grid: a row of eight per colour, four fine
// steps then four coarse steps. pressed gets the button number.
QGridLayout* addDirectionButtons(QWidget* window, std::function<void(int)> pressed);

// Applies a direction button for a screen position on the details window's sliders, when a monitor responds.
void moveConvergence(AppContext& ctx, int location, int button);

class FrmConvergenceGoal : public ChildWindow {
    Q_OBJECT
public:
    explicit FrmConvergenceGoal(AppContext& ctx, QWidget* parent = nullptr);

    void onActivated() override;

    // 1-9, 0 until a position is chosen.
    int selectedLocation() const { return m_selectedLocation; }
    // Position button element k (0-8): chosen, and shown in red.
    void selectLocation(int element);
    // Every position button back to its normal colour.
    void showLocationsNormal();
    void pressDirection(int button);

private:
    FrmConvergence* details() const;

    QList<QPushButton*> m_locations;
    int m_selectedLocation = 0;
};

class FrmConvergenceAdjustment : public ChildWindow {
    Q_OBJECT
public:
    explicit FrmConvergenceAdjustment(AppContext& ctx, QWidget* parent = nullptr);

    // Leaving this window leaves the position choice of the goal window unmarked.
    void onDeactivated() override;
    void pressDirection(int button);
};
