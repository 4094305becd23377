#include "adjust/FrmBacklight.h"

#include "model/MonitorModel.h"
#include "protocol/Catalogue.h"
#include "ui/AppContext.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QVBoxLayout>

using Catalogue::FilamentSetting;

FrmBacklight::FrmBacklight(AppContext& ctx, QWidget* parent)
    : SettingWindow(ctx, QStringLiteral("frmBacklight"), QStringLiteral("Backlight Controls"), parent) {
    auto* grid = new QGridLayout;
    column()->addLayout(grid);
    const struct {
        FilamentSetting setting;
        const char* caption;
        const char* box;
        const char* button;
    } rows[] = {
        {FilamentSetting::Warmup, "Filament Warmup Power (0-255)", "txtFilWarmup", "btnSetFilWarmup"},
        {FilamentSetting::Steady, "Filament Steady Power (0-255)", "txtFilSteady", "btnSetFilSteady"},
        {FilamentSetting::Immediate, "Filament Power Temporary (0-255)", "txtSetFilImmediate", "btnFilImmediate"},
    };
    // The texts go as typed, trimmed; the monitor judges the range.
    for (const auto& r : rows)
        addSetRow(grid, QString::fromLatin1(r.caption), QString::fromLatin1(r.box), QString::fromLatin1(r.button),
                  [setting = r.setting](const QString& text) { return Catalogue::setFilament(setting, text); });

    QCheckBox* photocell = addCheckBox(QStringLiteral("ckPhotocell"), QStringLiteral("Photocell Enabled"));
    connect(photocell, &QCheckBox::toggled, this, &FrmBacklight::photocellClicked);
    QCheckBox* messages = addCheckBox(QStringLiteral("ckStatusMessages"), QStringLiteral("Status Messages"));
    connect(messages, &QCheckBox::toggled, this,
            [this](bool on) { sendToMonitor({Catalogue::setStatusMessages(on)}); });
    addDoneButton();
}

void FrmBacklight::onActivated() {
    m_ctx.model->controlClickArmed = false;
    sendToMonitor({Catalogue::readFilament(FilamentSetting::Steady), Catalogue::readFilament(FilamentSetting::Warmup),
                   Catalogue::readFilament(FilamentSetting::Immediate), Catalogue::readPanelStatus()});
}

void FrmBacklight::photocellClicked(bool checked) {
    bool& armed = m_ctx.model->controlClickArmed;
    if (!armed) {
        armed = true;
        return;
    }
    sendToMonitor({Catalogue::setPhotocell(checked)});
}

void FrmBacklight::showFilamentDuty(QChar reading, const QString& text) {
    const char* box = reading == QLatin1Char('S')   ? "txtFilSteady"
                      : reading == QLatin1Char('W') ? "txtFilWarmup"
                                                    : "txtSetFilImmediate";
    if (auto* b = findChild<QLineEdit*>(QLatin1String(box)))
        b->setText(text);
}

void FrmBacklight::showPhotocell(bool enabled) {
    // The change an answer makes only arms the box; when the box already shows the state there is no change, and
    // the box is armed here all the same, so that the user's first click after the answer is never lost.
    bool& armed = m_ctx.model->controlClickArmed;
    armed = false;
    if (auto* box = findChild<QCheckBox*>(QStringLiteral("ckPhotocell")))
        box->setChecked(enabled);
    armed = true;
}
