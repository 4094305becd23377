#include "model/windows/FrmUserControls.h"

#include "ui/AppContext.h"
#include "model/MonitorModel.h"
#include "model/windows/WindowParts.h"
#include "protocol/Catalogue.h"

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

    QLabel* note = WindowParts::label(this, QStringLiteral("Label1"),
                                      QStringLiteral("This setting will revert to the Operating Mode default after "
                                                     "power on."));
    note->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addWidget(note);
    layout->addStretch(1);
    layout->addLayout(
        WindowParts::buttonRow({WindowParts::dismissButton(this, QStringLiteral("btnDone"), QStringLiteral("Done"))}));
}

void FrmUserControls::onActivated() {
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

void FrmUserControls::enabledClicked() {
    if (armedClick())
        m_ctx.send(Catalogue::setUserControls(true));
}

void FrmUserControls::disabledClicked() {
    if (armedClick())
        m_ctx.send(Catalogue::setUserControls(false));
    // The tool governs contrast and brightness now: the monitor gets the tool's present values.
    const MonitorModel& m = *m_ctx.model;
    int contrast = 0;
    int brightness = 0;
    if (m.videoGroup.get(DacTable::Value, 0, m.currentScanSet, &contrast) &&
        m.videoGroup.get(DacTable::Value, 1, m.currentScanSet, &brightness)) {
        m_ctx.send(Catalogue::setContrast(contrast));
        m_ctx.send(Catalogue::setBrightness(brightness));
    }
}
