#include "adjust/FrmBacklight.h"

#include "model/MonitorModel.h"
#include "protocol/Catalogue.h"
#include "ui/AppContext.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

using Catalogue::FilamentSetting;
using Part = MonitorStates::Part;

FrmBacklight::FrmBacklight(AppContext& ctx, QWidget* parent)
    : SettingWindow(ctx, QStringLiteral("frmBacklight"), QStringLiteral("Backlight Controls"), parent) {
    auto* grid = new QGridLayout;
    column()->addLayout(grid);
    const struct {
        FilamentSetting setting;
        Reported<QString> MonitorStates::*state;
        const char* caption;
        const char* box;
        const char* button;
    } rows[] = {
        {FilamentSetting::Warmup, &MonitorStates::filamentWarmup, "Filament Warmup Power (0-255)", "txtFilWarmup",
         "btnSetFilWarmup"},
        {FilamentSetting::Steady, &MonitorStates::filamentSteady, "Filament Steady Power (0-255)", "txtFilSteady",
         "btnSetFilSteady"},
        {FilamentSetting::Immediate, &MonitorStates::filamentImmediate, "Filament Power Temporary (0-255)",
         "txtSetFilImmediate", "btnFilImmediate"},
    };
    // The texts go as typed, trimmed; the monitor judges the range.
    for (const auto& r : rows)
        m_boxes << Box{
            addSetRow(
                grid, QString::fromLatin1(r.caption), QString::fromLatin1(r.box), QString::fromLatin1(r.button),
                [setting = r.setting](const QString& text) { return Catalogue::setFilament(setting, text); },
                Part::Backlight,
                [state = r.state](MonitorStates& s, const QString& text) { (s.*state).set(text, Origin::User); }),
            r.state};
    for (const Box& b : std::as_const(m_boxes))
        b.box->setPlaceholderText(QStringLiteral("not reported"));

    // The boxes are set with their signals blocked: a click is always the user's.
    m_photocell = addCheckBox(QStringLiteral("ckPhotocell"), QStringLiteral("Photocell Enabled"));
    connect(m_photocell, &QCheckBox::toggled, this, [this](bool on) {
        if (sendToMonitor({Catalogue::setPhotocell(on)}))
            takeChoice(Part::Backlight, [on](MonitorStates& s) { s.photocellEnabled.set(on, Origin::User); });
    });
    m_statusMessages = addCheckBox(QStringLiteral("ckStatusMessages"), QStringLiteral("Status Messages"));
    m_statusMessages->setToolTip(QStringLiteral("The monitor does not report its status messages: the box shows what "
                                                "was chosen here."));
    connect(m_statusMessages, &QCheckBox::toggled, this, [this](bool on) {
        if (sendToMonitor({Catalogue::setStatusMessages(on)}))
            takeChoice(Part::Backlight, [on](MonitorStates& s) { s.statusMessages.set(on, Origin::User); });
    });
    m_note = addStateNote(notReportedYet());
    addDoneButton();
}

void FrmBacklight::onActivated() {
    m_ctx.model->controlClickArmed = false;
    SettingWindow::onActivated();
    sendToMonitor({Catalogue::readFilament(FilamentSetting::Steady), Catalogue::readFilament(FilamentSetting::Warmup),
                   Catalogue::readFilament(FilamentSetting::Immediate), Catalogue::readPanelStatus()});
}

void FrmBacklight::showStates() {
    const MonitorStates& s = m_ctx.model->states;
    bool allKnown = s.photocellEnabled.known();
    for (const Box& b : std::as_const(m_boxes)) {
        const Reported<QString>& state = s.*(b.state);
        allKnown = allKnown && state.known();
        // What the user is typing stays until it is set.
        if (b.box->hasFocus() && b.box->isModified())
            continue;
        b.box->setText(state.known() ? state.value() : QString());
    }
    {
        const QSignalBlocker quiet(m_photocell);
        m_photocell->setChecked(s.photocellEnabled.known() && s.photocellEnabled.value());
    }
    {
        const QSignalBlocker quiet(m_statusMessages);
        m_statusMessages->setChecked(s.statusMessages.known() && s.statusMessages.value());
    }
    showNote(m_note, allKnown);
}
