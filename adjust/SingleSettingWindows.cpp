#include "adjust/SingleSettingWindows.h"

#include "model/MonitorModel.h"
#include "protocol/Catalogue.h"
#include "protocol/FirmwareClass.h"
#include "protocol/FlagScope.h"
#include "ui/AppContext.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using Catalogue::FanSpeed;
using Catalogue::VideoSource;

FrmFPHeaterFan::FrmFPHeaterFan(AppContext& ctx, QWidget* parent)
    : SettingWindow(ctx, QStringLiteral("frmFPHeaterFan"), QStringLiteral("Heater and Fan Control"), parent) {
    QGroupBox* heater = addFrame(QStringLiteral("Frame1"), QStringLiteral("Heater"));
    addOption(heater, QStringLiteral("optHeaterAuto"), QStringLiteral("Automatic"), {Catalogue::heaterAutomatic()});
    addOption(heater, QStringLiteral("Option1"), QStringLiteral("Force Off"), Catalogue::heaterForced(false));
    addOption(heater, QStringLiteral("Option2"), QStringLiteral("Force On"), Catalogue::heaterForced(true));
    QGroupBox* fan = addFrame(QStringLiteral("Frame2"), QStringLiteral("Fan Speed"));
    addOption(fan, QStringLiteral("Option3"), QStringLiteral("Automatic"), {Catalogue::fanAutomatic()});
    addOption(fan, QStringLiteral("Option4"), QStringLiteral("Force Off"), Catalogue::fanForced(FanSpeed::Off));
    addOption(fan, QStringLiteral("Option5"), QStringLiteral("Force 1/4"), Catalogue::fanForced(FanSpeed::Quarter));
    addOption(fan, QStringLiteral("Option6"), QStringLiteral("Force 1/2"), Catalogue::fanForced(FanSpeed::Half));
    addOption(fan, QStringLiteral("Option7"), QStringLiteral("Force Full"), Catalogue::fanForced(FanSpeed::Full));
    addDoneButton();
}

void FrmFPHeaterFan::onActivated() {
    if (m_ctx.model->monitorResponding)
        m_ctx.send(Catalogue::readPanelStatus());
}

void FrmFPHeaterFan::showState(int heater, int fan) {
    static const char* const heaters[] = {"optHeaterAuto", "Option1", "Option2"};
    static const char* const fans[] = {"Option3", "Option4", "Option5", "Option6", "Option7"};
    const FlagScope quiet(m_ctx.model->suppressControlEvents, true);
    auto select = [this](const char* name) {
        if (auto* option = findChild<QRadioButton*>(QLatin1String(name)))
            option->setChecked(true);
    };
    if (heater >= 0 && heater < 3)
        select(heaters[heater]);
    if (fan >= 0 && fan < 5)
        select(fans[fan]);
}

FrmVideoConfig::FrmVideoConfig(AppContext& ctx, QWidget* parent)
    : SettingWindow(ctx, QStringLiteral("frmVideoConfig"), QStringLiteral("Video Mode"), parent) {
    QGroupBox* source = addFrame(QStringLiteral("VideoSourceFrame"), QStringLiteral("Video Source"));
    addOption(source, QStringLiteral("VideoSourceExternalOption"), QStringLiteral(" Ext"),
              {Catalogue::setVideoSource(VideoSource::External)});
    addOption(source, QStringLiteral("VideoSourceBlackOption"), QStringLiteral(" Black"),
              {Catalogue::setVideoSource(VideoSource::Black)});
    addOption(source, QStringLiteral("VideoSourceWhiteOption"), QStringLiteral(" White"),
              {Catalogue::setVideoSource(VideoSource::White)});
    QPushButton* degauss = addButton(QStringLiteral("DegaussButton"), QStringLiteral("Degauss"));
    connect(degauss, &QPushButton::clicked, this, [this] { sendToMonitor({Catalogue::degauss()}); });
    column()->addWidget(degauss);
    addNote(QStringLiteral("DegaussLabel"), QStringLiteral("Wait at least 2 minutes between degauss cycles."));
    addDoneButton();
}

void FrmVideoConfig::onActivated() {
    const bool tube = !FirmwareClass::isFlatPanel(m_ctx.model->firmwareClass);
    for (const char* name : {"DegaussButton", "DegaussLabel"})
        if (QWidget* w = findChild<QWidget*>(QLatin1String(name)))
            w->setVisible(tube);
}

FrmDeflHVEnable::FrmDeflHVEnable(AppContext& ctx, QWidget* parent)
    : SettingWindow(ctx, QStringLiteral("frmDeflHVEnable"), QStringLiteral("Deflection & HV Enable/Disable"), parent) {
    QGroupBox* deflection = addFrame(QStringLiteral("DeflFrame"), QStringLiteral("Deflection"));
    addOption(deflection, QStringLiteral("optDeflEnable"), QStringLiteral("Enable"),
              {Catalogue::setDeflectionEnabled(true)});
    addOption(deflection, QStringLiteral("optDeflDisable"), QStringLiteral("Disable"),
              {Catalogue::setDeflectionEnabled(false)});
    QGroupBox* hv = addFrame(QStringLiteral("HVFrame"), QStringLiteral("HV"));
    addOption(hv, QStringLiteral("optHVEnable"), QStringLiteral("Enable"), {Catalogue::setHvEnabled(true)});
    addOption(hv, QStringLiteral("optHVDisable"), QStringLiteral("Disable"), {Catalogue::setHvEnabled(false)});
    addDoneButton();
}

void FrmDeflHVEnable::showDeflectionEnabled(bool enabled) {
    if (auto* o =
            findChild<QRadioButton*>(enabled ? QStringLiteral("optDeflEnable") : QStringLiteral("optDeflDisable")))
        o->setChecked(true);
}

void FrmDeflHVEnable::showHvEnabled(bool enabled) {
    if (auto* o = findChild<QRadioButton*>(enabled ? QStringLiteral("optHVEnable") : QStringLiteral("optHVDisable")))
        o->setChecked(true);
}
