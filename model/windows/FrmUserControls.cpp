#include "model/windows/FrmUserControls.h"

#include "model/MonitorModel.h"
#include "model/windows/WindowParts.h"
#include "protocol/Catalogue.h"
#include "protocol/DataReadHandlers.h"
#include "ui/AppContext.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

FrmUserControls::FrmUserControls(AppContext& ctx)
    : ChildWindow(ctx, QStringLiteral("frmUserControls"), QStringLiteral("User Controls")) {
    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("ControlsFrame"));
    auto* enable = new QRadioButton(QStringLiteral("Enabled"), frame);
    enable->setObjectName(QStringLiteral("ControlsEnableOption"));
    auto* disable = new QRadioButton(QStringLiteral("Disabled"), frame);
    disable->setObjectName(QStringLiteral("ControlsDisableOption"));
    // Clicked, not toggled: a click on the option already chosen counts too.
    connect(enable, &QRadioButton::clicked, this, &FrmUserControls::enabledClicked);
    connect(disable, &QRadioButton::clicked, this, &FrmUserControls::disabledClicked);
    auto* inFrame = new QVBoxLayout(frame);
    inFrame->addWidget(
        WindowParts::label(frame, QStringLiteral("ControlsLabel"), QStringLiteral("User Contrast and Brightness")));
    inFrame->addWidget(enable);
    inFrame->addWidget(disable);
    m_options = {enable, disable};
    m_note = createNote(this, QStringLiteral("lblStateNote"), notReportedYet());

    QLabel* note = WindowParts::label(this, QStringLiteral("Label1"),
                                      QStringLiteral("This setting will revert to the Operating Mode default after "
                                                     "power on."));
    note->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addWidget(m_note);
    layout->addWidget(note);
    layout->addStretch(1);
    layout->addLayout(
        WindowParts::buttonRow({WindowParts::dismissButton(this, QStringLiteral("btnDone"), QStringLiteral("Done"))}));
}

void FrmUserControls::onActivated() {
    showStates();
    fitFrame();
    m_ctx.send(Catalogue::readOperatingTimeForControls());
}

bool FrmUserControls::armedClick() {
    bool& armed = m_ctx.model->controlClickArmed;
    if (armed)
        return true;
    armed = true;
    return false;
}

void FrmUserControls::showStates() {
    const MonitorStates& s = m_ctx.model->states;
    const bool known = s.contrastSoftware.known() && s.brightnessSoftware.known();
    int shown = -1;
    if (known && s.contrastSoftware.value() == s.brightnessSoftware.value())
        shown = s.contrastSoftware.value() ? 1 : 0;
    showSelected(m_options, shown);
    showNote(m_note, known);
}

void FrmUserControls::takeUserControls(bool enabled) {
    MonitorStates& s = m_ctx.model->states;
    s.contrastSoftware.set(!enabled, Origin::User);
    s.brightnessSoftware.set(!enabled, Origin::User);
    if (m_ctx.handlers)
        m_ctx.handlers->noteStatesChanged(MonitorStates::Part::PanelControls);
}

void FrmUserControls::enabledClicked() {
    if (!armedClick())
        return;
    m_ctx.send(Catalogue::setUserControls(true));
    takeUserControls(true);
}

void FrmUserControls::disabledClicked() {
    const bool sends = armedClick();
    if (sends)
        m_ctx.send(Catalogue::setUserControls(false));
    // The tool governs contrast and brightness now: the monitor gets the tool's own present values (set or loaded);
    // a value read from it is what it holds already.
    const MonitorModel& m = *m_ctx.model;
    const auto toolsOwn = [&m](int dac) {
        const Origin o = m.videoGroup.origin(DacTable::Value, dac, m.currentScanSet);
        return o == Origin::User || o == Origin::Loaded;
    };
    int contrast = 0;
    int brightness = 0;
    if (toolsOwn(0) && toolsOwn(1) && m.videoGroup.get(DacTable::Value, 0, m.currentScanSet, &contrast) &&
        m.videoGroup.get(DacTable::Value, 1, m.currentScanSet, &brightness)) {
        m_ctx.send(Catalogue::setContrast(contrast));
        m_ctx.send(Catalogue::setBrightness(brightness));
    }
    if (sends)
        takeUserControls(false);
}
