#include "adjust/FrmBrightnessContrast.h"

#include "model/MonitorModel.h"
#include "protocol/DataReadHandlers.h"
#include "protocol/FirmwareClass.h"
#include "ui/AppContext.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

using Catalogue::LimitKind;
using Catalogue::UserControl;

namespace {
// Layout, twips: each section's controls from its top. A section ends below its start-up frame, or below its
// defaults panel while that is open; the brightness section follows the contrast section's end.
constexpr int headingsTop = 60, rowTop = 480, optionsTop = 900, startUpTop = 1260, setUseTop = 1380;
constexpr int limitsHeadingTop = 1980, dayTop = 2280, nightTop = 2640, panelOkTop = 3000;
constexpr int collapsedHeight = limitsHeadingTop, openHeight = 3420;
constexpr int sliderLeft = 120, sliderWidth = 3600;
constexpr int presentLeft = 3840, secondLeft = 4800, thirdLeft = 5880, valueWidth = 960, lineHeight = 285;
// The value columns in the order of every adjustment window: present, factory, initial.
constexpr int factoryLeft = secondLeft, initialLeft = thirdLeft;
constexpr int limitLeft = 1320, limitPitch = 1680, limitWidth = 700, setLeft = 2040, setWidth = 600;
// The hysteresis box reaches to the third value column, where its "Set" stands: room for "not reported".
constexpr int hysteresisWidth = thirdLeft - 60 - secondLeft;

} // namespace

// Documented names of one section's controls.
struct FrmBrightnessContrast::SectionNames {
    const char* heading;
    const char* headingText;
    const char* slider;
    const char* present;
    const char* initial;
    const char* factory;
    int firstLimit;
    const char* limitButtons[4]; // day lower, night lower, day upper, night upper
    const char* setInitial;
    const char* useInitial;
    const char* useFactory;
    const char* hysteresisBox;
    const char* hysteresisButton;
    const char* softwareDisabled;
    const char* softwareEnabled;
    const char* startUpFrame;
    const char* userOption;
    const char* softwareOption;
    const char* setUse;
    const char* setUseText;
    const char* panelOk;
    const char* panelOkText;
};

FrmBrightnessContrast::FrmBrightnessContrast(AppContext& ctx, QWidget* parent)
    : DacAdjustWindow(ctx, QStringLiteral("frmBrightnessContrast"), QStringLiteral("Adjust Brightness and Contrast"),
                      parent) {
    static const SectionNames contrast = {"Label1",
                                          "Software-controlled Contrast",
                                          "HScroll_Contrast",
                                          "lblContrastPV",
                                          "Label12",
                                          "Label15",
                                          0,
                                          {"btnSetDayContrastLowerLimit", "btnNightContrastLowerLimit",
                                           "btnDayContrastUpperLimit", "btnNightContrastUpperLimit"},
                                          "btnSetInitial1",
                                          "btnUseInitial1",
                                          "btnUseFactory1",
                                          "txtHystC",
                                          "btnSetHystC",
                                          "Option1",
                                          "Option2",
                                          "ContrastStartUpFrame",
                                          "UserContrastEnabledOption",
                                          "UserContrastDisabledOption",
                                          "btnSetDefaultsContrast",
                                          "       Set/Use  Defaults/Limits",
                                          "btnOKDefaultsContrast",
                                          "Defaults/Limits            OK"};
    static const SectionNames brightness = {"Label16",
                                            "Software-controlled Brightness",
                                            "HScroll_Brightness",
                                            "Label18",
                                            "Label31",
                                            "Label33",
                                            4,
                                            {"Command1", "Command2", "Command3", "Command4"},
                                            "Command5",
                                            "Command7",
                                            "Command6",
                                            "txtHystB",
                                            "btnSetHystB",
                                            "Option3",
                                            "Option4",
                                            "BrightnessStartUpFrame",
                                            "UserBrightnessEnabledOption",
                                            "UserBrightnessDisabledOption",
                                            "btnSetDefaultsBrightness",
                                            "Set/Use Defaults",
                                            "btnOKDefaultsBrightness",
                                            "Defaults/Limits            OK"};
    buildSection(m_contrast, contrast);
    buildSection(m_brightness, brightness);

    m_done = addButton(QStringLiteral("btnDone"), QStringLiteral("Done"));
    connect(m_done, &QPushButton::clicked, this, &ChildWindow::hideWindow);
    m_note = createNote(this, QStringLiteral("lblStateNote"), notReportedYet());

    // Loading collapses both defaults panels, as their OK buttons do.
    setPanelShown(m_contrast, false);
    setPanelShown(m_brightness, false);
    applyFamilySetUp(model().firmwareClass);
    load();
}

void FrmBrightnessContrast::buildSection(Section& s, const SectionNames& n) {
    auto name = [](const char* text) { return QString::fromLatin1(text); };
    // Controls are placed from the section's top, which layOutSections decides.
    auto placeInSection = [&s](QWidget* control, int left, int y, int width, int height) {
        s.placed.append({control, QRect(left, y, width, height)});
    };
    placeInSection(addLabel(name(n.heading), name(n.headingText)), sliderLeft, headingsTop, sliderWidth, lineHeight);
    const struct {
        const char* text;
        int left;
    } headings[] = {{"Present Value", presentLeft}, {"Factory Default", factoryLeft}, {"Initial Setting", initialLeft}};
    for (const auto& h : headings) {
        QLabel* heading = addLabel(QString(), name(h.text));
        heading->setWordWrap(true);
        heading->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        placeInSection(heading, h.left, headingsTop, valueWidth, 420);
    }

    // The section's row of the video group (contrast index 0, brightness 1), its controls named singly.
    DacRowNames names{QString(),       name(n.slider),  name(n.present),
                      name(n.factory), name(n.initial), DacRowNames::Display::Label};
    names.singleNames = true;
    s.rows = addRowGroup(&model().videoGroup, QLatin1Char('l'), names);
    const int index = s.which == UserControl::Contrast ? 0 : 1;
    DacRowDefinition def;
    def.index = index;
    s.row = addRow(s.rows, def);
    placeInSection(s.row->slider, sliderLeft, rowTop, sliderWidth, lineHeight);
    placeInSection(s.row->present, presentLeft, rowTop, valueWidth, lineHeight);
    placeInSection(s.row->factory, factoryLeft, rowTop, valueWidth, lineHeight);
    placeInSection(s.row->initial, initialLeft, rowTop, valueWidth, lineHeight);
    // Each value under the middle of its heading.
    for (QWidget* value : {s.row->present, s.row->factory, s.row->initial})
        static_cast<QLabel*>(value)->setAlignment(Qt::AlignCenter);

    // Software control.
    auto* software = new QButtonGroup(this);
    s.softwareDisabled = new QRadioButton(QStringLiteral("Disabled"), this);
    s.softwareDisabled->setObjectName(name(n.softwareDisabled));
    s.softwareEnabled = new QRadioButton(QStringLiteral("Enabled"), this);
    s.softwareEnabled->setObjectName(name(n.softwareEnabled));
    software->addButton(s.softwareDisabled);
    software->addButton(s.softwareEnabled);
    placeInSection(s.softwareDisabled, sliderLeft, optionsTop, 1200, lineHeight);
    placeInSection(s.softwareEnabled, sliderLeft + 1200, optionsTop, 1200, lineHeight);
    connect(s.softwareDisabled, &QRadioButton::toggled, this, [this, &s](bool on) {
        if (on)
            softwareControlChosen(s, false);
    });
    connect(s.softwareEnabled, &QRadioButton::toggled, this, [this, &s](bool on) {
        if (on)
            softwareControlChosen(s, true);
    });

    // Hysteresis.
    QLabel* hystLabel =
        addLabel(s.which == UserControl::Contrast ? QStringLiteral("lblHystC") : QStringLiteral("lblHystB"),
                 QStringLiteral("Hysteresis"));
    s.hysteresis = new QLineEdit(this);
    s.hysteresis->setObjectName(name(n.hysteresisBox));
    s.hysteresis->setPlaceholderText(QStringLiteral("not reported"));
    QPushButton* setHyst = addButton(name(n.hysteresisButton), QStringLiteral("Set"));
    placeInSection(hystLabel, presentLeft, optionsTop, valueWidth, lineHeight);
    placeInSection(s.hysteresis, secondLeft, optionsTop, hysteresisWidth, lineHeight);
    placeInSection(setHyst, thirdLeft, optionsTop, setWidth, lineHeight);
    // An empty box has no value to set.
    connect(setHyst, &QPushButton::clicked, this, [this, &s] {
        if (model().monitorResponding && !s.hysteresis->text().trimmed().isEmpty())
            m_ctx.send(Catalogue::setHysteresis(s.which, s.hysteresis->text()));
    });
    if (s.which == UserControl::Contrast)
        m_contrastHysteresis = {hystLabel, s.hysteresis, setHyst};

    // Who controls the section at start-up.
    auto* frame =
        new QGroupBox(s.which == UserControl::Contrast ? QStringLiteral("At startup, Contrast is controlled by")
                                                       : QStringLiteral("At startup, Brightness is controlled by"),
                      this);
    frame->setObjectName(name(n.startUpFrame));
    auto* inFrame = new QHBoxLayout(frame);
    s.userAtStartUp = new QRadioButton(QStringLiteral("User Control"), frame);
    s.userAtStartUp->setObjectName(name(n.userOption));
    s.softwareAtStartUp = new QRadioButton(QStringLiteral("Software"), frame);
    s.softwareAtStartUp->setObjectName(name(n.softwareOption));
    inFrame->addWidget(s.userAtStartUp);
    inFrame->addWidget(s.softwareAtStartUp);
    placeInSection(frame, sliderLeft, startUpTop, sliderWidth, 600);
    // A shown state selects the options with their signals blocked: only the user's choice arrives here.
    for (QRadioButton* o : {s.userAtStartUp, s.softwareAtStartUp})
        connect(o, &QRadioButton::toggled, this, [this, &s, o](bool on) {
            if (on)
                emit startUpControlChosen(s.which, o == s.userAtStartUp);
        });

    // The defaults panel and the button that opens it.
    QPushButton* setUse = addButton(name(n.setUse), name(n.setUseText));
    placeInSection(setUse, presentLeft, setUseTop, 2880, 375);
    s.setUseButton = setUse;
    connect(setUse, &QPushButton::clicked, this, [this, &s] { setPanelShown(s, true); });

    const struct {
        const char* text;
        int left, top;
    } limitHeadings[] = {{"Lower Limit", limitLeft, limitsHeadingTop},
                         {"Upper Limit", limitLeft + limitPitch, limitsHeadingTop},
                         {"Day", sliderLeft, dayTop},
                         {"Night", sliderLeft, nightTop}};
    for (const auto& h : limitHeadings) {
        QLabel* heading = addLabel(QString(), name(h.text));
        placeInSection(heading, h.left, h.top, 1200, lineHeight);
        s.panel << heading;
    }
    // Buttons in the order day lower, night lower, day upper, night upper; label k shows the limit that "cpl" k
    // sets (0 day lower, 1 day upper, 2 night lower, 3 night upper, brightness from 4).
    const LimitKind kinds[4] = {LimitKind::DayLower, LimitKind::NightLower, LimitKind::DayUpper, LimitKind::NightUpper};
    const int labelOf[4] = {0, 2, 1, 3};
    for (int b = 0; b < 4; ++b) {
        const int column = b / 2;
        const int y = b % 2 == 0 ? dayTop : nightTop;
        QLabel* limit = addLabel(elementName(QStringLiteral("lblLimits"), n.firstLimit + labelOf[b]), QString());
        placeInSection(limit, limitLeft + column * limitPitch, y, limitWidth, lineHeight);
        // A limit shows with its headings, in the panel, never as a bare number.
        s.panel << limit;
        QPushButton* set = addButton(name(n.limitButtons[b]), QStringLiteral("Set"));
        placeInSection(set, setLeft + column * limitPitch, y, setWidth, lineHeight);
        s.panel << set;
        connect(set, &QPushButton::clicked, this, [this, &s, kind = kinds[b]] {
            if (model().monitorResponding)
                for (const QString& r : Catalogue::takeLimitAndReread(s.which, kind))
                    m_ctx.send(r);
        });
    }

    QPushButton* setInitial = addButton(name(n.setInitial), QStringLiteral("Set"));
    QPushButton* useInitial = addButton(name(n.useInitial), QStringLiteral("Use"));
    QPushButton* useFactory = addButton(name(n.useFactory), QStringLiteral("Use"));
    placeInSection(setInitial, initialLeft, dayTop, valueWidth, lineHeight);
    placeInSection(useInitial, initialLeft, nightTop, valueWidth, lineHeight);
    placeInSection(useFactory, factoryLeft, nightTop, valueWidth, lineHeight);
    s.panel << setInitial << useInitial << useFactory;
    // The monitor saves its present contrast and brightness, with the whole video group, as its initial settings;
    // the read shows them.
    connect(setInitial, &QPushButton::clicked, this, [this] {
        if (!model().monitorResponding)
            return;
        m_ctx.send(Catalogue::saveDacs(QLatin1Char('l')));
        m_ctx.send(Catalogue::readDac(QLatin1Char('l'), DacKind::Initial));
    });
    connect(useInitial, &QPushButton::clicked, this, [this, &s] { useShownValue(s, s.row->initial); });
    connect(useFactory, &QPushButton::clicked, this, [this, &s] { useShownValue(s, s.row->factory); });

    QPushButton* panelOk = addButton(name(n.panelOk), name(n.panelOkText));
    placeInSection(panelOk, presentLeft, panelOkTop, 2880, 375);
    s.panel << panelOk;
    connect(panelOk, &QPushButton::clicked, this, [this, &s] { setPanelShown(s, false); });
}

void FrmBrightnessContrast::showDacValue(QChar group, DacKind kind, int index, int value) {
    // Both sections are rows of the video group; the other indices are the colour balance's.
    if (group.toLower() != QLatin1Char('l') || index < 0 || index > 1)
        return;
    Section& s = index == 0 ? m_contrast : m_brightness;
    showRowValue(*s.rows, *s.row, kind, value);
}

void FrmBrightnessContrast::queueReads() {
    const int fc = model().firmwareClass;
    if (FirmwareClass::readsControlOperatingTime(fc)) {
        m_ctx.send(Catalogue::readOperatingTimeForControls());
        if (FirmwareClass::readsPanelStatus(fc))
            m_ctx.send(Catalogue::readPanelStatus());
    }
    m_ctx.send(Catalogue::readModelType());
    m_ctx.send(Catalogue::readDac(QLatin1Char('l'), DacKind::Current));
    m_ctx.send(Catalogue::readDac(QLatin1Char('l'), DacKind::Initial));
    m_ctx.send(Catalogue::readDac(QLatin1Char('l'), DacKind::Factory));
}

void FrmBrightnessContrast::softwareControlChosen(Section& s, bool enabled) {
    MonitorModel& m = model();
    if (!m.monitorResponding)
        return;
    const QString request = Catalogue::setSoftwareControl(m.firmwareClass, s.which, enabled);
    if (!request.isEmpty())
        m_ctx.send(request);
    (s.which == UserControl::Contrast ? m.states.contrastSoftware : m.states.brightnessSoftware)
        .set(enabled, Origin::User);
    if (m_ctx.handlers)
        m_ctx.handlers->noteStatesChanged(MonitorStates::Part::PanelControls);
}

void FrmBrightnessContrast::setPanelShown(Section& s, bool shown) {
    for (QWidget* w : s.panel)
        w->setVisible(shown);
    layOutSections();
}

int FrmBrightnessContrast::sectionHeight(const Section& s) {
    return !s.panel.isEmpty() && !s.panel.first()->isHidden() ? openHeight : collapsedHeight;
}

void FrmBrightnessContrast::layOutSections() {
    // Brightness right below contrast, Done below brightness: an open panel pushes what follows down and a
    // closed one leaves no empty band.
    int top = 0;
    for (const Section* s : {&m_contrast, &m_brightness}) {
        for (const auto& [control, r] : s->placed)
            place(control, r.left(), top + r.top(), r.width(), r.height());
        top += sectionHeight(*s);
    }
    if (m_done)
        place(m_done, thirdLeft, top, valueWidth, 375);
    if (m_note)
        place(m_note, sliderLeft, top, thirdLeft - sliderLeft - 120, 2 * lineHeight);
    fitFrame();
}

bool FrmBrightnessContrast::defaultsPanelShown(UserControl which) const {
    const Section& s = which == UserControl::Contrast ? m_contrast : m_brightness;
    return !s.panel.isEmpty() && !s.panel.first()->isHidden();
}

void FrmBrightnessContrast::useShownValue(Section& s, QWidget* label) {
    bool ok = false;
    const int value = displayText(label).trimmed().toInt(&ok);
    // The user's choice: the slider change sends it.
    if (ok)
        setRowDeliberately(*s.rows, *s.row, value);
}

void FrmBrightnessContrast::onActivated() {
    DacAdjustWindow::onActivated();
    showStates();
}

void FrmBrightnessContrast::showStates() {
    const MonitorStates& st = model().states;
    for (int k = 0; k < MonitorStates::limitCount; ++k)
        if (auto* label = findChild<QLabel*>(elementName(QStringLiteral("lblLimits"), k)))
            label->setText(st.limits.known() ? signedText(st.limits.value()[k]) : QStringLiteral("not reported"));
    // The operating mode's bits 1 and 2: the user's contrast and brightness controls off at start-up.
    showSection(m_contrast, st.contrastSoftware, st.contrastHysteresis, 1);
    showSection(m_brightness, st.brightnessSoftware, st.brightnessHysteresis, 2);
    showNote(m_note, st.contrastSoftware.known() && st.brightnessSoftware.known() && st.operatingMode.known());
}

void FrmBrightnessContrast::showSection(Section& s, const Reported<bool>& software, const Reported<int>& hysteresis,
                                        int startUpBit) {
    const Reported<int>& mode = model().states.operatingMode;
    showSelected({s.softwareEnabled, s.softwareDisabled}, software.known() ? (software.value() ? 0 : 1) : -1);
    showSelected({s.softwareAtStartUp, s.userAtStartUp}, mode.known() ? ((mode.value() & startUpBit) ? 0 : 1) : -1);
    // The slider is the software's control: shown while the software controls the section (or nobody knows). Its
    // enabled state is the application mode's.
    s.row->slider->setVisible(!software.known() || software.value());
    if (!s.hysteresis->hasFocus() || !s.hysteresis->isModified())
        s.hysteresis->setText(hysteresis.known() ? signedText(hysteresis.value()) : QString());
}

void FrmBrightnessContrast::applyFamilySetUp(int firmwareClass) {
    if (FirmwareClass::setUpFamily(firmwareClass) == 0)
        return;
    for (QWidget* w : m_contrastHysteresis)
        w->setVisible(FirmwareClass::showsContrastHysteresis(firmwareClass));
}
