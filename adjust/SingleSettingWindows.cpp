#include "adjust/SingleSettingWindows.h"

#include "model/MonitorModel.h"
#include "protocol/Catalogue.h"
#include "protocol/FirmwareClass.h"
#include "ui/AppContext.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <iterator>

using Catalogue::FanSpeed;
using Catalogue::VideoSource;
using Part = MonitorStates::Part;

namespace {
// The option of a known state: its index, or none (-1) while the state is not known.
template <class T> int shownIndex(const Reported<T>& state) {
    return state.known() ? int(state.value()) : -1;
}
// An enable/disable pair shows enable first.
int shownPair(const Reported<bool>& state) {
    return state.known() ? (state.value() ? 0 : 1) : -1;
}
} // namespace

FrmFPHeaterFan::FrmFPHeaterFan(AppContext& ctx, QWidget* parent)
    : SettingWindow(ctx, QStringLiteral("frmFPHeaterFan"), QStringLiteral("Heater and Fan Control"), parent) {
    const struct {
        const char* name;
        const char* text;
        QStringList requests;
    } heaters[] = {{"optHeaterAuto", "Automatic", {Catalogue::heaterAutomatic()}},
                   {"Option1", "Force Off", Catalogue::heaterForced(false)},
                   {"Option2", "Force On", Catalogue::heaterForced(true)}},
      fans[] = {{"Option3", "Automatic", {Catalogue::fanAutomatic()}},
                {"Option4", "Force Off", Catalogue::fanForced(FanSpeed::Off)},
                {"Option5", "Force 1/4", Catalogue::fanForced(FanSpeed::Quarter)},
                {"Option6", "Force 1/2", Catalogue::fanForced(FanSpeed::Half)},
                {"Option7", "Force Full", Catalogue::fanForced(FanSpeed::Full)}};
    QGroupBox* heater = addFrame(QStringLiteral("Frame1"), QStringLiteral("Heater"));
    for (int i = 0; i < int(std::size(heaters)); ++i)
        m_heater << addOption(heater, QLatin1String(heaters[i].name), QLatin1String(heaters[i].text),
                              heaters[i].requests, Part::HeaterFan,
                              [i](MonitorStates& s) { s.heater.set(i, Origin::User); });
    QGroupBox* fan = addFrame(QStringLiteral("Frame2"), QStringLiteral("Fan Speed"));
    for (int i = 0; i < int(std::size(fans)); ++i)
        m_fan << addOption(fan, QLatin1String(fans[i].name), QLatin1String(fans[i].text), fans[i].requests,
                           Part::HeaterFan, [i](MonitorStates& s) { s.fan.set(i, Origin::User); });
    m_note = addStateNote(notReportedYet());
    addDoneButton();
}

void FrmFPHeaterFan::onActivated() {
    SettingWindow::onActivated();
    if (m_ctx.model->monitorResponding)
        m_ctx.send(Catalogue::readPanelStatus());
}

void FrmFPHeaterFan::showStates() {
    const MonitorStates& s = m_ctx.model->states;
    showSelected(m_heater, shownIndex(s.heater));
    showSelected(m_fan, shownIndex(s.fan));
    showNote(m_note, s.heater.known() && s.fan.known());
}

FrmVideoConfig::FrmVideoConfig(AppContext& ctx, QWidget* parent)
    : SettingWindow(ctx, QStringLiteral("frmVideoConfig"), QStringLiteral("Video Mode"), parent) {
    QGroupBox* source = addFrame(QStringLiteral("VideoSourceFrame"), QStringLiteral("Video Source"));
    const struct {
        const char* name;
        const char* text;
        VideoSource source;
    } sources[] = {{"VideoSourceExternalOption", " Ext", VideoSource::External},
                   {"VideoSourceBlackOption", " Black", VideoSource::Black},
                   {"VideoSourceWhiteOption", " White", VideoSource::White}};
    for (int i = 0; i < int(std::size(sources)); ++i)
        m_sources << addOption(source, QLatin1String(sources[i].name), QLatin1String(sources[i].text),
                               {Catalogue::setVideoSource(sources[i].source)}, Part::VideoSource,
                               [i](MonitorStates& s) { s.videoSource.set(i, Origin::User); });
    m_note = addStateNote(neverReported());
    QPushButton* degauss = addButton(QStringLiteral("DegaussButton"), QStringLiteral("Degauss"));
    connect(degauss, &QPushButton::clicked, this, [this] { sendToMonitor({Catalogue::degauss()}); });
    column()->addWidget(degauss);
    addNote(QStringLiteral("DegaussLabel"), QStringLiteral("Wait at least 2 minutes between degauss cycles."));
    addDoneButton();
}

void FrmVideoConfig::onActivated() {
    SettingWindow::onActivated();
    const bool tube = !FirmwareClass::isFlatPanel(m_ctx.model->firmwareClass);
    for (const char* name : {"DegaussButton", "DegaussLabel"})
        if (QWidget* w = findChild<QWidget*>(QLatin1String(name)))
            w->setVisible(tube);
}

void FrmVideoConfig::showStates() {
    const Reported<int>& source = m_ctx.model->states.videoSource;
    showSelected(m_sources, shownIndex(source));
    showNote(m_note, source.known());
}

FrmDeflHVEnable::FrmDeflHVEnable(AppContext& ctx, QWidget* parent)
    : SettingWindow(ctx, QStringLiteral("frmDeflHVEnable"), QStringLiteral("Deflection & HV Enable/Disable"), parent) {
    const auto text = [](bool on) { return on ? QStringLiteral("Enable") : QStringLiteral("Disable"); };
    QGroupBox* deflection = addFrame(QStringLiteral("DeflFrame"), QStringLiteral("Deflection"));
    for (const bool on : {true, false})
        m_deflection << addOption(deflection, on ? QStringLiteral("optDeflEnable") : QStringLiteral("optDeflDisable"),
                                  text(on), {Catalogue::setDeflectionEnabled(on)}, Part::DeflectionHv,
                                  [on](MonitorStates& s) { s.deflectionEnabled.set(on, Origin::User); });
    QGroupBox* hv = addFrame(QStringLiteral("HVFrame"), QStringLiteral("HV"));
    for (const bool on : {true, false})
        m_hv << addOption(hv, on ? QStringLiteral("optHVEnable") : QStringLiteral("optHVDisable"), text(on),
                          {Catalogue::setHvEnabled(on)}, Part::DeflectionHv,
                          [on](MonitorStates& s) { s.hvEnabled.set(on, Origin::User); });
    m_note = addStateNote(neverReported());
    addDoneButton();
}

void FrmDeflHVEnable::showStates() {
    const MonitorStates& s = m_ctx.model->states;
    showSelected(m_deflection, shownPair(s.deflectionEnabled));
    showSelected(m_hv, shownPair(s.hvEnabled));
    showNote(m_note, s.deflectionEnabled.known() && s.hvEnabled.known());
}
