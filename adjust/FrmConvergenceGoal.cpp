#include "adjust/FrmConvergenceGoal.h"

#include "adjust/FrmConvergence.h"
#include "model/MonitorModel.h"
#include "model/UpdateAllData.h"
#include "platform/Dialogs.h"
#include "ui/AppContext.h"
#include "ui/WindowRegistry.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// Where each position button sits on the 3 x 3 picture of the screen: "1" in the centre, "2" top, "3" bottom,
// "4" left, "5" right, "6" top left, "7" top right, "8" bottom left, "9" bottom right.
constexpr int locationCell[9][2] = {{1, 1}, {0, 1}, {2, 1}, {1, 0}, {1, 2}, {0, 0}, {0, 2}, {2, 0}, {2, 2}};

QPushButton* newButton(QWidget* parent, const QString& name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}
} // namespace

ConvergenceStep ConvergenceStep::ofButton(int n) {
    if (n < 1 || n > 24)
        return {};
    return {(n - 1) / 8 + 1, (n - 1) % 4 + 1, (n - 1) % 8 < 4 ? 1 : 16};
}

QGridLayout* addDirectionButtons(QWidget* window, std::function<void(int)> pressed) {
    auto* grid = new QGridLayout;
    const char* colours[] = {"Red", "Green", "Blue"};
    // Fine steps, then coarse steps, in the four directions.
    const char* arrows[] = {"\u2191", "\u2193", "\u2190", "\u2192", "\u21d1", "\u21d3", "\u21d0", "\u21d2"};
    for (int q = 0; q < 3; ++q)
        grid->addWidget(new QLabel(QString::fromLatin1(colours[q]), window), q, 0);
    for (int n = 1; n <= 24; ++n) {
        QPushButton* b =
            newButton(window, QStringLiteral("btnAdjConv(%1)").arg(n), QString::fromUtf8(arrows[(n - 1) % 8]));
        const ConvergenceStep s = ConvergenceStep::ofButton(n);
        b->setToolTip(QStringLiteral("%1, %2 step")
                          .arg(QString::fromLatin1(colours[s.colour - 1]),
                               s.step == 1 ? QStringLiteral("fine") : QStringLiteral("coarse")));
        QObject::connect(b, &QPushButton::clicked, window, [pressed, n] { pressed(n); });
        grid->addWidget(b, (n - 1) / 8, 1 + (n - 1) % 8);
    }
    return grid;
}

void moveConvergence(AppContext& ctx, int location, int button) {
    if (!ctx.model->monitorResponding)
        return;
    const ConvergenceStep s = ConvergenceStep::ofButton(button);
    const QString notMade =
        ctx.windows->window<FrmConvergence>()->applyCoupling(location, s.colour, s.direction, s.step);
    if (!notMade.isEmpty() && ctx.dialogs)
        ctx.dialogs->message(nullptr, notMade, QString(), Dialogs::Ok, Dialogs::Information);
}

FrmConvergenceGoal::FrmConvergenceGoal(AppContext& ctx, QWidget* parent)
    : ChildWindow(ctx, QStringLiteral("frmConvergenceGoal"), QStringLiteral("Adjust Convergence - Goals"), parent) {
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        QStringLiteral("Adjust Convergence Positions in numerical order as shown. Click to select position to adjust."),
        this);
    intro->setObjectName(QStringLiteral("Label1"));
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* middle = new QHBoxLayout;
    auto* screen = new QVBoxLayout;
    auto* screenTitle = new QLabel(QStringLiteral("Position on Screen"), this);
    screenTitle->setObjectName(QStringLiteral("Label2"));
    screen->addWidget(screenTitle);
    auto* positions = new QGridLayout;
    for (int k = 0; k < 9; ++k) {
        QPushButton* b = newButton(this, QStringLiteral("btnConvLoc(%1)").arg(k), QString::number(k + 1));
        connect(b, &QPushButton::clicked, this, [this, k] { selectLocation(k); });
        positions->addWidget(b, locationCell[k][0], locationCell[k][1]);
        m_locations.append(b);
    }
    screen->addLayout(positions);
    middle->addLayout(screen);
    auto* adjust = new QVBoxLayout;
    auto* adjustTitle = new QLabel(QStringLiteral("Adjustment to Make"), this);
    adjustTitle->setObjectName(QStringLiteral("Label3"));
    adjust->addWidget(adjustTitle);
    adjust->addLayout(addDirectionButtons(this, [this](int n) { pressDirection(n); }));
    middle->addLayout(adjust);
    layout->addLayout(middle);

    auto* buttons = new QHBoxLayout;
    QPushButton* factory =
        newButton(this, QStringLiteral("btnUseFactoryDefaults"), QStringLiteral("Go Back to Factory Defaults"));
    QPushButton* initial =
        newButton(this, QStringLiteral("btnUseInitialSettings"), QStringLiteral("Go Back to  Initial Settings"));
    QPushButton* save =
        newButton(this, QStringLiteral("btnSetInitialSettings"), QStringLiteral("Save Initial Settings"));
    QPushButton* done = newButton(this, QStringLiteral("btnDone"), QStringLiteral("Done"));
    for (QPushButton* b : {factory, initial, save, done})
        buttons->addWidget(b);
    layout->addLayout(buttons);

    // The setting buttons act on the details window's sliders exactly as its own buttons do.
    connect(factory, &QPushButton::clicked, this, [this] { details()->goBackToFactoryDefaults(); });
    connect(initial, &QPushButton::clicked, this, [this] { details()->goBackToInitialSettings(); });
    connect(save, &QPushButton::clicked, this, [this] {
        details()->saveInitialSettings();
        details()->copyPresentToInitialLabels();
    });
    connect(done, &QPushButton::clicked, this, [this] { hideWindow(); });
}

FrmConvergence* FrmConvergenceGoal::details() const {
    return m_ctx.windows->window<FrmConvergence>();
}

void FrmConvergenceGoal::onActivated() {
    if (m_ctx.model->monitorResponding && m_ctx.updateAll)
        m_ctx.updateAll->readConvergenceData();
}

void FrmConvergenceGoal::selectLocation(int element) {
    if (element < 0 || element >= m_locations.size())
        return;
    m_selectedLocation = element + 1;
    showLocationsNormal();
    QPalette chosen = m_locations[element]->palette();
    chosen.setColor(QPalette::Button, QColor(255, 0, 0));
    m_locations[element]->setPalette(chosen);
}

void FrmConvergenceGoal::showLocationsNormal() {
    for (QPushButton* b : m_locations)
        b->setPalette(QPalette());
}

void FrmConvergenceGoal::pressDirection(int button) {
    moveConvergence(m_ctx, m_selectedLocation, button);
}

FrmConvergenceAdjustment::FrmConvergenceAdjustment(AppContext& ctx, QWidget* parent)
    : ChildWindow(ctx, QStringLiteral("frmConvergenceAdjustment"), QStringLiteral("Convergence Adjustment"), parent) {
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(addDirectionButtons(this, [this](int n) { pressDirection(n); }));
}

void FrmConvergenceAdjustment::pressDirection(int button) {
    moveConvergence(m_ctx, m_ctx.windows->window<FrmConvergenceGoal>()->selectedLocation(), button);
}

void FrmConvergenceAdjustment::onDeactivated() {
    if (FrmConvergenceGoal* goal = m_ctx.windows->existing<FrmConvergenceGoal>())
        goal->showLocationsNormal();
}
