#include "model/windows/FrmOperatingMode.h"

#include "model/MonitorModel.h"
#include "model/OperatingSettings.h"
#include "model/windows/WindowParts.h"
#include "protocol/DataReadHandlers.h"
#include "ui/AppContext.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
constexpr int brightnessPair = 4;
constexpr int contrastPair = 5;

QRadioButton* option(QWidget* frame, const char* name, const char* text) {
    auto* o = new QRadioButton(QString::fromLatin1(text), frame);
    o->setObjectName(QString::fromLatin1(name));
    return o;
}
} // namespace

FrmOperatingMode::FrmOperatingMode(AppContext& ctx)
    : ChildWindow(ctx, QStringLiteral("frmOperatingMode"), QStringLiteral("Operating Mode")) {
    auto* layout = new QVBoxLayout(this);
    const auto& pairs = OperatingMode::pairs();
    for (size_t i = 0; i < pairs.size(); ++i) {
        const OperatingMode::OptionPair& p = pairs[i];
        auto* frame = new QGroupBox(QString::fromLatin1(p.frameCaption), this);
        frame->setObjectName(QString::fromLatin1(p.frame));
        m_pairs[i] = {option(frame, p.bitOption, p.bitLabel), option(frame, p.otherOption, p.otherLabel)};
        auto* inFrame = new QVBoxLayout(frame);
        for (QRadioButton* o : {m_pairs[i].bitOption, m_pairs[i].otherOption}) {
            inFrame->addWidget(o);
            // A shown mode selects the options with their signals blocked: only the user's choice arrives here.
            connect(o, &QRadioButton::toggled, this, [this](bool on) {
                if (on)
                    optionChosen();
            });
        }
        layout->addWidget(frame);
    }
    m_note = createNote(this, QStringLiteral("lblStateNote"),
                        QStringLiteral("Not reported by the monitor yet: the mode is sent once an option is chosen in "
                                       "every frame."));
    layout->addWidget(m_note);
    layout->addStretch(1);
    layout->addLayout(WindowParts::buttonRow(
        {WindowParts::dismissButton(this, QStringLiteral("OperatingModeCloseButton"), QStringLiteral("Close"))}));
    showStates();
}

void FrmOperatingMode::onActivated() {
    showStates();
    fitFrame();
    m_ctx.send(Catalogue::readModelType());
}

void FrmOperatingMode::showStates() {
    const Reported<int>& mode = m_ctx.model->states.operatingMode;
    const auto& pairs = OperatingMode::pairs();
    for (size_t i = 0; i < pairs.size(); ++i)
        showSelected({m_pairs[i].bitOption, m_pairs[i].otherOption},
                     mode.known() ? ((mode.value() & pairs[i].bit) ? 0 : 1) : -1);
    showNote(m_note, mode.known());
}

void FrmOperatingMode::optionChosen() {
    MonitorModel& m = *m_ctx.model;
    if (m.suppressControlEvents)
        return;
    std::array<bool, 6> selected{};
    for (size_t i = 0; i < m_pairs.size(); ++i) {
        if (!m_pairs[i].bitOption->isChecked() && !m_pairs[i].otherOption->isChecked())
            return; // a pair nobody knows or chose: no mask to send yet
        selected[i] = m_pairs[i].bitOption->isChecked();
    }
    m.operatingModeMask = OperatingMode::mask(selected);
    if (!m.monitorResponding)
        return;
    m_ctx.send(Catalogue::setOperatingMode(int(m.operatingModeMask)));
    m.states.operatingMode.set(int(m.operatingModeMask), Origin::User);
    if (m_ctx.handlers)
        m_ctx.handlers->noteStatesChanged(MonitorStates::Part::OperatingMode);
}

void FrmOperatingMode::selectStartUpControl(Catalogue::UserControl section, bool userControlled) {
    const Pair& p = m_pairs[section == Catalogue::UserControl::Brightness ? brightnessPair : contrastPair];
    // The bit option of these pairs is "Disabled": the user control is off at power-on.
    (userControlled ? p.otherOption : p.bitOption)->setChecked(true);
    // Not sent (the other pairs are not known): the windows show the mode as it is.
    if (!m_ctx.model->states.operatingMode.known() && m_ctx.handlers)
        m_ctx.handlers->noteStatesChanged(MonitorStates::Part::OperatingMode);
}
