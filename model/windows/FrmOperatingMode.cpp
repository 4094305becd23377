#include "model/windows/FrmOperatingMode.h"

#include "ui/AppContext.h"
#include "model/MonitorModel.h"
#include "model/OperatingSettings.h"
#include "model/windows/WindowParts.h"

#include <QGroupBox>
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
            // A change made by an answer raises the same signal as the user's click; the flag tells them apart.
            connect(o, &QRadioButton::toggled, this, [this](bool on) {
                if (on)
                    optionChosen();
            });
        }
        layout->addWidget(frame);
    }
    layout->addStretch(1);
    layout->addLayout(WindowParts::buttonRow(
        {WindowParts::dismissButton(this, QStringLiteral("OperatingModeCloseButton"), QStringLiteral("Close"))}));
}

void FrmOperatingMode::onActivated() {
    fitFrame();
    m_ctx.send(Catalogue::readModelType());
}

void FrmOperatingMode::optionChosen() {
    MonitorModel& m = *m_ctx.model;
    if (m.suppressControlEvents)
        return;
    std::array<bool, 6> selected{};
    for (size_t i = 0; i < m_pairs.size(); ++i)
        selected[i] = m_pairs[i].bitOption->isChecked();
    m.operatingModeMask = OperatingMode::mask(selected);
    m_ctx.send(Catalogue::setOperatingMode(int(m.operatingModeMask)));
}

void FrmOperatingMode::showModelType(int modelType) {
    const auto& pairs = OperatingMode::pairs();
    for (size_t i = 0; i < pairs.size(); ++i) {
        const bool bitOption = OperatingMode::answerSelectsBitOption(pairs[i], modelType);
        (bitOption ? m_pairs[i].bitOption : m_pairs[i].otherOption)->setChecked(true);
    }
}

void FrmOperatingMode::selectStartUpControl(Catalogue::UserControl section, bool userControlled) {
    const Pair& p = m_pairs[section == Catalogue::UserControl::Brightness ? brightnessPair : contrastPair];
    // The bit option of these pairs is "Disabled": the user control is off at power-on.
    (userControlled ? p.otherOption : p.bitOption)->setChecked(true);
}
