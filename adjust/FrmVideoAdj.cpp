#include "adjust/FrmVideoAdj.h"

#include "model/MonitorModel.h"
#include "protocol/Catalogue.h"
#include "protocol/DataReadHandlers.h"
#include "protocol/FirmwareClass.h"
#include "ui/AppContext.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

namespace {
// Layout, twips.
constexpr int videoTop = 660, biasTop = 3000, offsetTop = 3840;
constexpr int videoPitch = 390, offsetPitch = 360;
constexpr int settingButtonWidth = 1815, settingButtonHeight = 375;
constexpr int okCancelLeft = 6120, okCancelWidth = 1290, okCancelHeight = 345;

// The buttons and the window's height, below the last row shown: with every row of the monitor types shown, the
// buttons stand at 3960 (setting buttons), 3900 (Cancel) and 4320 (OK) in a window 5030 high, or at 6180, 6120 and
// 6540 in a window 7350 high when the offset rows are shown. Rows a monitor type hides take their room with them.
struct ButtonPlaces {
    int settings, cancel, ok, height;
};
constexpr ButtonPlaces belowBiasRows{180, 120, 540, 1250};
constexpr ButtonPlaces belowOffsetRows{180, 120, 540, 1350};
constexpr int offsetRowsGap = 60;

void setCaptionColour(QLabel* label, const QColor& colour) {
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
}

} // namespace

FrmVideoAdj::FrmVideoAdj(AppContext& ctx, QWidget* parent)
    : DacAdjustWindow(ctx, QStringLiteral("frmVideoAdj"), QStringLiteral("Color Balance"), parent) {
    MonitorModel& m = model();

    addScaleAndHeadings(QStringLiteral("ScanSetSelectedLabel4"), QStringLiteral("Factory Defaults"),
                        QStringLiteral("Initial Settings"));

    // Video: indices 2 to 7 of the video group (0 and 1 are contrast and brightness, adjusted elsewhere).
    m_video = addRowGroup(&m.videoGroup, QLatin1Char('l'),
                          {QStringLiteral("Label1"), QStringLiteral("HScroll1"), QStringLiteral("Text1"),
                           QStringLiteral("Text2"), QStringLiteral("Text3")});
    const struct {
        const char* caption;
        QColor colour;
    } video[] = {{"Red Gain", Qt::red},   {"Green Gain", Qt::darkGreen},   {"Blue Gain", Qt::blue},
                 {"Red Offset", Qt::red}, {"Green Offset", Qt::darkGreen}, {"Blue Offset", Qt::blue}};
    for (int k = 0; k < 6; ++k) {
        DacRowDefinition def;
        def.index = k + 2;
        def.caption = QString::fromLatin1(video[k].caption);
        DacRow* row = addRow(m_video, def);
        setCaptionColour(row->caption, video[k].colour);
        placeRow(row, videoTop + k * videoPitch);
    }

    // Bias: index 0 captioned by element 9, index 1 by element 8.
    m_bias = addRowGroup(&m.biasGroup, QLatin1Char('b'),
                         {QStringLiteral("Label1"), QStringLiteral("HScroll2"), QStringLiteral("BText1"),
                          QStringLiteral("BText2"), QStringLiteral("BText3")});
    m_bias->disabledOnDeactivation = false;
    const struct {
        const char* caption;
        int element;
    } bias[] = {{"White Level (Int)", 9}, {"Bias Level", 8}};
    for (int k = 0; k < 2; ++k) {
        DacRowDefinition def;
        def.index = k;
        def.caption = QString::fromLatin1(bias[k].caption);
        def.captionElement = bias[k].element;
        placeRow(addRow(m_bias, def), biasTop + k * videoPitch);
    }

    // Low-brightness offsets: no read letter, their own set and save requests, not committed, not filled from
    // the model, enabled by the monitor family set-up rather than by activation.
    m_offsets = addRowGroup(&m.lowBrightnessGroup, QChar(),
                            {QStringLiteral("Label7"), QStringLiteral("HScroll3"), QStringLiteral("Text6"),
                             QStringLiteral("Text5"), QStringLiteral("Text4")});
    m_offsets->displayOffset = 128;
    m_offsets->committed = false;
    m_offsets->filledFromModel = false;
    m_offsets->enabledOnActivation = false;
    m_offsets->disabledOnDeactivation = false;
    m_offsets->setRequest = [](int index, int position) { return Catalogue::offsetSetting(index, position); };
    m_offsets->saveRequest = [this] {
        return offsetsReadable(model().firmwareClass) ? Catalogue::saveOffsets() : QString();
    };
    const char* offsetCaptions[] = {"Lo Brt Red Gain",   "Lo Brt Grn Gain",   "Lo Brt Blu Gain",
                                    "Lo Brt Red Offset", "Lo Brt Grn Offset", "Lo Brt Blu Offset"};
    for (int k = 0; k < 6; ++k) {
        DacRowDefinition def;
        def.index = k;
        def.caption = QString::fromLatin1(offsetCaptions[k]);
        placeRow(addRow(m_offsets, def), offsetTop + k * offsetPitch);
    }

    m_factoryButton =
        addButton(QStringLiteral("VideoRestoreFactoryDefaultsButton"), QStringLiteral("Go Back to Factory Defaults"));
    m_initialButton =
        addButton(QStringLiteral("VideoRestoreInitialSettingsButton"), QStringLiteral("Go Back to Initial Settings"));
    m_saveButton = addButton(QStringLiteral("VideoSetInitialSettingsButton"), QStringLiteral("Save Initial Settings"));
    m_okButton = addButton(QStringLiteral("VideoOKButton"), QStringLiteral("OK"));
    m_cancelButton = addButton(QStringLiteral("VideoCancelButton"), QStringLiteral("Cancel"));
    setSettingButtons(m_factoryButton, m_initialButton, m_saveButton);
    connect(m_okButton, &QPushButton::clicked, this, [this] { ok(); });
    connect(m_cancelButton, &QPushButton::clicked, this, [this] { cancel(); });

    // The offset rows stay hidden until a family set-up shows them.
    setOffsetRowsShown(false);
    applyFamilySetUp(m.firmwareClass);
    layOut();
    load();
}

void FrmVideoAdj::queueReads() {
    m_ctx.send(Catalogue::readDac(QLatin1Char('l'), DacKind::Current));
    m_ctx.send(Catalogue::readDac(QLatin1Char('b'), DacKind::Current));
    m_ctx.send(Catalogue::readDac(QLatin1Char('l'), DacKind::Initial));
    m_ctx.send(Catalogue::readDac(QLatin1Char('l'), DacKind::Factory));
    m_ctx.send(Catalogue::readDac(QLatin1Char('b'), DacKind::Initial));
    m_ctx.send(Catalogue::readDac(QLatin1Char('b'), DacKind::Factory));
    if (offsetsReadable(model().firmwareClass)) {
        m_ctx.send(Catalogue::readOffsets(DacKind::Current));
        m_ctx.send(Catalogue::readOffsets(DacKind::Initial));
        m_ctx.send(Catalogue::readOffsets(DacKind::Factory));
    }
}

void FrmVideoAdj::onActivated() {
    DacAdjustWindow::onActivated();
    layOut();
}

void FrmVideoAdj::showOffsets(DacKind kind, const QVector<int>& values) {
    const int set = scanSet();
    for (int k = 0; k < values.size(); ++k) {
        DacRow* row = m_offsets->row(k);
        if (!row)
            continue;
        const int v = values[k];
        switch (kind) {
        case DacKind::Current:
            // An offset outside -128..127 has no slider position: shown, not taken.
            showHeldPosition(*m_offsets, *row, v);
            break;
        case DacKind::Factory:
            setDisplayText(row->factory, QString::number(v));
            // Kept so that "Go Back to Factory Defaults" returns to them rather than to the bottom of the range.
            m_offsets->group()->set(DacTable::Factory, k, set, v, Origin::Read);
            break;
        case DacKind::Initial:
            setDisplayText(row->initial, QString::number(v));
            m_offsets->group()->set(DacTable::Initial, k, set, v, Origin::Read);
            break;
        }
    }
}

void FrmVideoAdj::applyFamilySetUp(int firmwareClass) {
    const int family = DataReadHandlers::familyOf(firmwareClass);
    if (family == 0)
        return;
    setOffsetRowsShown(FirmwareClass::hasLowBrightnessControls(firmwareClass));
    if (family == 2) {
        setRowShown(m_bias->row(1), false);
        m_bias->row(0)->caption->setText(QStringLiteral("+80V Adjust"));
    } else if (family == 3) {
        const bool colourBalance = FirmwareClass::hasColourBalancePanel(firmwareClass);
        for (DacRow* row : m_video->rows()) {
            row->slider->setVisible(colourBalance);
            setLocked(row->slider, Lock::Family, !colourBalance);
        }
        for (DacRow* row : m_bias->rows()) {
            setLocked(row->slider, Lock::Family, true);
            for (QWidget* w : {static_cast<QWidget*>(row->slider), row->present, row->factory, row->initial}) {
                w->setVisible(false);
                if (w != row->slider)
                    w->setEnabled(false);
            }
        }
    }
    if (isVisible())
        layOut();
}

void FrmVideoAdj::setOffsetRowsShown(bool shown) {
    m_offsetRowsShown = shown;
    for (DacRow* row : m_offsets->rows()) {
        for (QWidget* w : {static_cast<QWidget*>(row->caption), row->present, row->factory, row->initial}) {
            w->setVisible(shown);
            w->setEnabled(shown);
        }
        row->slider->setVisible(shown);
        setLocked(row->slider, Lock::Family, !shown);
    }
}

void FrmVideoAdj::layOut() {
    int top = biasTop;
    for (DacRow* row : m_bias->rows()) {
        // A caption with nothing beside it goes with its row.
        if (!rowShown(row))
            row->caption->setVisible(false);
        placeRow(row, top);
        if (rowShown(row))
            top += videoPitch;
    }
    if (m_offsetRowsShown) {
        top += offsetRowsGap;
        for (DacRow* row : m_offsets->rows()) {
            placeRow(row, top);
            top += offsetPitch;
        }
    }
    const ButtonPlaces& t = m_offsetRowsShown ? belowOffsetRows : belowBiasRows;
    place(m_factoryButton, 120, top + t.settings, settingButtonWidth, settingButtonHeight);
    place(m_initialButton, 120 + 1 * (settingButtonWidth + 105), top + t.settings, settingButtonWidth,
          settingButtonHeight);
    place(m_saveButton, 120 + 2 * (settingButtonWidth + 105), top + t.settings, settingButtonWidth,
          settingButtonHeight);
    place(m_cancelButton, okCancelLeft, top + t.cancel, okCancelWidth, okCancelHeight);
    place(m_okButton, okCancelLeft, top + t.ok, okCancelWidth, okCancelHeight);
    setWindowHeightTwips(top + t.height);
}
