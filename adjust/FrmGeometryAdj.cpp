#include "adjust/FrmGeometryAdj.h"

#include "model/MonitorModel.h"
#include "protocol/Catalogue.h"
#include "ui/AppContext.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>

namespace {
// Layout, twips.
constexpr int firstRowTop = 660, rowPitch = 390, setGap = 120;
constexpr int hintLeft = 7500, hintPitch = 300, hintSize = 255;
// The three value columns of a row, where a row the monitor lacks says so.
constexpr int valuesLeft = 5010, valuesWidth = 2415, rowHeight = 285;

// A row of the window: caption and the two hints at its ends (towards 0 and towards Max; empty for none).
struct RowText {
    int index;
    const char* caption;
    const char* lower;
    const char* higher;
};

const RowText verticalRowTexts[] = {
    {0, "Vertical Size", "Decrease Height", "Increase Height"},
    {1, "Vertical Center", "", "Raise Display"},
    {2, "Vert Linearity", "Compress the Center, Vertically", "Expand the Center, Vertically"},
    {3, "E-W Correction", "Reduce Waist", "Increase Waist"},
    {4, "Horiz Trapezoid", "Narrow the Bottom", "Narrow the Top"},
    {5, "Horiz Parallellogram", "Skew the Top to Left", "Skew the Top to Right"},
    {6, "Horiz Bow", "Move Waist to the Left", "Move Waist to the Right"},
};
const RowText horizontalRowTexts[] = {
    {0, "Horizontal Size", "Decrease the Width", "increase the Width"},
    {1, "Horizontal Center", "Move Display to the Left", "Move Display to the Right"},
    {2, "Horizontal Linearity", "Compress the Left Side", "Compress the Right Side"},
    {3, "Trace Rotation", "Rorate CCW", "Rotate CW"},
};
const RowText sCapRow = {MonitorModel::horizontalSCapIndex, "Horiz S Cap", "Compress Left/Right Edges",
                         "Expand Left/Right Edges"};
const RowText northSouthRowTexts[] = {
    {0, "N-S Correction", "Shorten the Center", "Lengthen the Center"},
    {1, "N-S Trapezoid", "Increase the Left Side", "Increase the Right Side"},
    {2, "N-S Neutral Position", "", ""},
    {3, "N-S Phase", "Shift Phase to the Left", "Shift Phase to the Right"},
};
} // namespace

FrmGeometryAdj::FrmGeometryAdj(AppContext& ctx, QWidget* parent)
    : DacAdjustWindow(ctx, QStringLiteral("frmGeometryAdj"), QStringLiteral("Geometry Adjustment"), parent) {
    MonitorModel& m = model();

    addScaleAndHeadings(QStringLiteral("ScanSetSelectedLabel3"), QStringLiteral("Factory Default"),
                        QStringLiteral("Initial Setting"));

    int top = firstRowTop;
    auto addRows = [&](DacRowGroup* group, const RowText* rows, int count, int max, int largeChange,
                       const QString& hints, int& hintElement) {
        for (int k = 0; k < count; ++k) {
            DacRowDefinition def;
            def.index = rows[k].index;
            def.caption = QString::fromLatin1(rows[k].caption);
            def.max = max;
            def.largeChange = largeChange;
            placeRow(addRow(group, def), top);
            const QList<QLabel*> icons = addHints(hints, hintElement, rows[k].lower, rows[k].higher, top);
            if (group == m_northSouth)
                m_northSouthHints << icons;
            hintElement += 2;
            top += rowPitch;
        }
    };

    const DacRowNames verticalNames{QStringLiteral("Label1"), QStringLiteral("HScroll1"), QStringLiteral("Text1"),
                                    QStringLiteral("Text2"), QStringLiteral("Text3")};
    const DacRowNames horizontalNames{QStringLiteral("HLabel1"), QStringLiteral("HHScroll1"), QStringLiteral("HText1"),
                                      QStringLiteral("HText2"), QStringLiteral("HText3")};
    const DacRowNames northSouthNames{QStringLiteral("Label7"), QStringLiteral("HScroll2"), QStringLiteral("NText4"),
                                      QStringLiteral("NText5"), QStringLiteral("NText6")};

    int hint = 0;
    m_vertical = addRowGroup(&m.verticalGroup, QLatin1Char('v'), verticalNames);
    addRows(m_vertical, verticalRowTexts, 7, 255, 16, QStringLiteral("imgVerticalHint"), hint);

    // Only the vertical rows are committed by OK and returned by Cancel, and only they follow activation.
    top += setGap;
    hint = 0;
    m_horizontal = addRowGroup(&m.horizontalGroup, QLatin1Char('h'), horizontalNames);
    m_horizontal->committed = false;
    m_horizontal->enabledOnActivation = false;
    m_horizontal->disabledOnDeactivation = false;
    addRows(m_horizontal, horizontalRowTexts, 4, 255, 16, QStringLiteral("imgHorizontalHint"), hint);

    // "Horiz S Cap" sits beyond the horizontal group's count: its own rows, read with the horizontal answers and
    // saved by the horizontal group's save request; not filled from the model on loading.
    m_sCap = addRowGroup(&m.horizontalGroup, QChar(), horizontalNames);
    m_sCap->committed = false;
    m_sCap->filledFromModel = false;
    m_sCap->enabledOnActivation = false;
    m_sCap->disabledOnDeactivation = false;
    m_sCap->setRequest = [](int index, int position) {
        return Catalogue::dacSetting(QLatin1Char('h'), index, position);
    };
    addRows(m_sCap, &sCapRow, 1, 127, 16, QStringLiteral("imgHorizontalHint"), hint);

    top += setGap;
    hint = 0;
    m_northSouth = addRowGroup(&m.northSouthGroup, QLatin1Char('s'), northSouthNames);
    m_northSouth->walkByCount = true;
    m_northSouth->committed = false;
    m_northSouth->enabledOnActivation = false;
    m_northSouth->disabledOnDeactivation = false;
    m_northSouth->movable = [this] { return isFirstFamily(model().firmwareClass); };
    m_northSouth->savable = [this] {
        return isFirstFamily(model().firmwareClass) || isSecondFamily(model().firmwareClass);
    };
    const int northSouthTop = top;
    addRows(m_northSouth, northSouthRowTexts, 4, 63, 8, QStringLiteral("imgNorthSouthHint"), hint);
    for (int k = 0; k < 4; ++k) {
        QLabel* note =
            addLabel(elementName(QStringLiteral("lblNorthSouthNote"), k), QStringLiteral("not on this monitor"));
        place(note, valuesLeft, northSouthTop + k * rowPitch, valuesWidth, rowHeight);
        note->hide();
        m_northSouthNotes << note;
    }

    top += setGap;
    QPushButton* factory = addButton(QStringLiteral("Command1"), QStringLiteral("Go Back to Factory Defaults"));
    factory->setToolTip(QStringLiteral("Set All Adjustments to Original Factory Defaults"));
    QPushButton* initial = addButton(QStringLiteral("Command2"), QStringLiteral("Go Back to Initial Settings"));
    initial->setToolTip(QStringLiteral("Set All Adjustments to Power On Defaults"));
    QPushButton* save = addButton(QStringLiteral("Command6"), QStringLiteral("Save Initial Settings"));
    save->setToolTip(QStringLiteral("Set the Power On Defaults to the Current Settings"));
    QPushButton* ok = addButton(QStringLiteral("btnOK"), QStringLiteral("OK"));
    QPushButton* cancel = addButton(QStringLiteral("btnCancel"), QStringLiteral("Cancel"));
    setSettingButtons(factory, initial, save);
    connect(ok, &QPushButton::clicked, this, [this] { this->ok(); });
    connect(cancel, &QPushButton::clicked, this, [this] { this->cancel(); });
    constexpr int buttonWidth = 1815, buttonHeight = 375, okWidth = 1290;
    place(factory, 120, top, buttonWidth, buttonHeight);
    place(initial, 120 + buttonWidth + 105, top, buttonWidth, buttonHeight);
    place(save, 120 + 2 * (buttonWidth + 105), top, buttonWidth, buttonHeight);
    place(cancel, 6120, top, okWidth, buttonHeight);
    place(ok, 6120, top + 420, okWidth, buttonHeight);
    setWindowHeightTwips(top + 1350);

    load();
}

QList<QLabel*> FrmGeometryAdj::addHints(const QString& array, int element, const char* lower, const char* higher,
                                        int top) {
    QList<QLabel*> icons;
    const struct {
        const char* tip;
        QStyle::StandardPixmap icon;
    } ends[] = {{lower, QStyle::SP_ArrowLeft}, {higher, QStyle::SP_ArrowRight}};
    for (int k = 0; k < 2; ++k) {
        if (!*ends[k].tip)
            continue;
        QLabel* icon = addLabel(elementName(array, element + k), QString());
        icon->setPixmap(style()->standardIcon(ends[k].icon).pixmap(12, 12));
        icon->setToolTip(QString::fromLatin1(ends[k].tip));
        place(icon, hintLeft + k * hintPitch, top, hintSize, hintSize);
        icons << icon;
    }
    return icons;
}

void FrmGeometryAdj::queueReads() {
    for (DacKind kind : {DacKind::Current, DacKind::Initial, DacKind::Factory}) {
        m_ctx.send(Catalogue::readDac(QLatin1Char('v'), kind));
        m_ctx.send(Catalogue::readDac(QLatin1Char('h'), kind));
    }
}

void FrmGeometryAdj::onActivated() {
    DacAdjustWindow::onActivated();
    if (model().monitorResponding)
        applyNorthSouthRule();
}

void FrmGeometryAdj::applyNorthSouthRule() {
    const int firmwareClass = model().firmwareClass;
    if (isFirstFamily(firmwareClass)) {
        setRowsLocked(*m_northSouth, Lock::Rule, true);
        showNorthSouthFitted(false);
    } else if (isSecondFamily(firmwareClass)) {
        const bool fitted = model().hasNorthSouth;
        setRowsLocked(*m_northSouth, Lock::Rule, !fitted);
        showNorthSouthFitted(fitted);
        if (fitted)
            for (DacKind kind : {DacKind::Current, DacKind::Initial, DacKind::Factory})
                m_ctx.send(Catalogue::readDac(QLatin1Char('s'), kind));
    }
}

void FrmGeometryAdj::showNorthSouthFitted(bool fitted) {
    // A monitor without north-south correction: each row says so in place of its values, its slider stays off
    // (the factory and initial buttons of the first family still move it), and the row beyond the group's
    // count, which nothing walks, is off with the others.
    for (int k = 0; k < m_northSouthNotes.size(); ++k) {
        DacRow* row = m_northSouth->rows().value(k);
        if (!row)
            continue;
        for (QWidget* w : {row->present, row->factory, row->initial})
            w->setVisible(fitted);
        m_northSouthNotes[k]->setVisible(!fitted);
        if (!m_northSouth->walkedRows().contains(row))
            for (QWidget* w : {static_cast<QWidget*>(row->caption), static_cast<QWidget*>(row->slider)})
                setLocked(w, Lock::Rule, !fitted);
    }
    for (QLabel* hint : std::as_const(m_northSouthHints))
        hint->setVisible(fitted);
}

void FrmGeometryAdj::showHorizontalSCap(DacKind kind, int value) {
    if (DacRow* row = m_sCap->row(MonitorModel::horizontalSCapIndex))
        showRowValue(*m_sCap, *row, kind, value);
}
