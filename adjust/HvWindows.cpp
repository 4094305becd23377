#include "adjust/HvWindows.h"

#include "model/MonitorModel.h"
#include "protocol/Catalogue.h"
#include "protocol/FirmwareClass.h"
#include "protocol/NumberFormat.h"
#include "ui/AppContext.h"
#include "ui/TypedValueBox.h"
#include "ui/WindowRegistry.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

using Catalogue::HvControl;

namespace {
// Layout, twips.
constexpr int headingsTop = 120, rowsTop = 660, rowPitch = 390;
constexpr int captionLeft = 120, boxLeft = 1995, setLeft = 2850, readingCaptionLeft = 3840, readingLeft = 5850;
constexpr int presentLeft = 5010, factoryLeft = 5850, thirdLeft = 6690, valueWidth = 735, lineHeight = 285;

// The request letter of each value of the HV answer.
constexpr HvControl controlOf[4] = {HvControl::HighVoltage, HvControl::Focus, HvControl::G2, HvControl::Video80V};

} // namespace

void HvWindow::addControlRows(const DacRowNames& names, const QList<ControlRow>& rows, int max, int largeChange,
                              int firstTop, int pitch, const QString& defaultPattern) {
    // No DAC table and no read letter: shown from the model's diagnostics, nothing committed.
    m_defaultPattern = defaultPattern;
    m_rows = addRowGroup(nullptr, QChar(), names);
    m_rows->filledFromModel = false;
    m_rows->committed = false;
    m_rows->setRequest = [this](int index, int position) {
        return Catalogue::hvControlSetting(controlOf[m_answerIndex.value(index)], position);
    };
    m_rows->saveRequest = [] { return QString(); };
    for (int k = 0; k < rows.size(); ++k) {
        DacRowDefinition def;
        def.index = k;
        def.caption = QString::fromLatin1(rows[k].caption);
        def.max = max;
        def.largeChange = largeChange;
        m_answerIndex << rows[k].answerIndex;
        placeRow(addRow(m_rows, def), firstTop + k * pitch);
    }
}

void HvWindow::sendToMonitor(const QStringList& requests) {
    if (!model().monitorResponding)
        return;
    for (const QString& r : requests)
        m_ctx.send(r);
}

void HvWindow::showDiagnostics(DiagnosticParts changed) {
    m_shown.show(model().diagnostics, changed);
    if (changed.testFlag(DiagnosticPart::HvControls))
        showHvControls(true);
}

void HvWindow::fillFromModel() {
    m_shown.show(model().diagnostics, DiagnosticCaptions::all);
    showHvControls(false);
}

void HvWindow::showHvControls(bool everyRow) {
    const DiagnosticValues& values = model().diagnostics;
    for (DacRow* row : m_rows->rows()) {
        const int control = m_answerIndex.value(row->index);
        const DiagnosticReading* present = values.find(DiagnosticCaptions::hvControl(control));
        if (present && (everyRow || row->held == Held::Unread))
            showHeldPosition(*m_rows, *row, int(present->value));
        else if (!present && row->held == Held::Unread)
            setDisplayText(row->present, QString());
        // The monitor's default as it reported it, also where it lies beyond the row's range.
        const DiagnosticReading* factory = values.find(DiagnosticCaptions::hvDefault(control));
        setDisplayText(row->factory, factory ? NumberFormat::format(factory->value, m_defaultPattern) : QString());
    }
    hvControlsShown();
}

void HvWindow::forgetMonitorValues() {
    DacAdjustWindow::forgetMonitorValues();
    hvControlsShown();
}

QStringList HvWindow::valuesBeyondRange() const {
    QStringList beyond;
    for (const DacRow* row : m_rows->rows())
        if (row->held == Held::Beyond)
            beyond << row->caption->text() + QLatin1Char(' ') + QString::number(row->heldPosition);
    return beyond;
}

FrmMDI_HV::FrmMDI_HV(AppContext& ctx, QWidget* parent)
    : HvWindow(ctx, QStringLiteral("frmMDI_HV"), QStringLiteral("High Voltage"), parent) {
    const struct {
        const char* text;
        int left;
    } headings[] = {{"Present / Initial Value", presentLeft}, {"Factory Defaults", factoryLeft}};
    for (const auto& h : headings) {
        QLabel* heading = addLabel(QString(), QString::fromLatin1(h.text));
        heading->setWordWrap(true);
        heading->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        place(heading, h.left, headingsTop, valueWidth, 480);
    }
    addControlRows({QStringLiteral("Label1"), QStringLiteral("HScroll1"), QStringLiteral("Text1"),
                    QStringLiteral("Text2"), QString()},
                   {{"HVPS Adjust", 0}, {"Focus Adjust", 1}, {"G2 Adjust", 2}, {"Video +80V Adjust", 3}}, 255, 16,
                   rowsTop, rowPitch, QStringLiteral("000"));

    const int limitsTop = rowsTop + 4 * rowPitch + 180;
    auto limitRow = [this](int top, const char* captionName, const char* caption, const char* box, const char* button,
                           QString (*request)(const QString&), const QString& reading, DiagnosticPart part) {
        place(addLabel(QString::fromLatin1(captionName), QString::fromLatin1(caption)), captionLeft, top, 1815,
              lineHeight);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(box));
        place(edit, boxLeft, top, valueWidth, lineHeight);
        m_shown.bind(edit, {reading}, part);
        if (!button)
            return;
        QPushButton* set = addButton(QString::fromLatin1(button), QStringLiteral("Set"));
        place(set, setLeft, top, 600, lineHeight);
        // The text goes as typed: the monitor judges it.
        connect(set, &QPushButton::clicked, this,
                [this, edit, request] { TypedValueBox::send(m_ctx, this, edit, request(edit->text())); });
    };
    limitRow(limitsTop, "", "HV Upper Limit:", "HVUpperLimitTextBox", "HVUpperLimitSetButton",
             &Catalogue::setHvUpperLimit, DiagnosticCaptions::hvUpperLimit(), DiagnosticPart::HvLimits);
    limitRow(limitsTop + rowPitch, "HVValLabel", "HV Val:", "HVValTextBox", nullptr, nullptr,
             DiagnosticCaptions::hvValue(), DiagnosticPart::TestPoints);
    limitRow(limitsTop + 2 * rowPitch, "", "HV Lower Limit:", "HVLowerLimitTextBox", "HVLowerLimitSetButton",
             &Catalogue::setHvLowerLimit, DiagnosticCaptions::hvLowerLimit(), DiagnosticPart::HvLimits);

    const struct {
        const char* caption;
        const char* value;
    } readings[] = {{"HV Anode Voltage:", "VAnodeValue"}, {" HV Anode Current:", "IAnodeValue"}};
    for (int k = 0; k < 2; ++k) {
        QLabel* caption = addLabel(QString(), QString::fromLatin1(readings[k].caption));
        QLabel* value = addLabel(QString::fromLatin1(readings[k].value), QString());
        place(caption, readingCaptionLeft, limitsTop + k * rowPitch, 1935, lineHeight);
        place(value, readingLeft, limitsTop + k * rowPitch, 1200, lineHeight);
        m_shown.bind(value, caption, DiagnosticPart::TestPoints);
    }

    const int buttonsTop = limitsTop + 3 * rowPitch + 120;
    QPushButton* factory =
        addButton(QStringLiteral("btnRestoreFactoryDefaults"), QStringLiteral("Use Factory Defaults"));
    QPushButton* reread = addButton(QStringLiteral("ReadADCButton"), QStringLiteral("Reread Values"));
    QPushButton* close = addButton(QStringLiteral("TPCloseButton"), QStringLiteral("Close"));
    place(factory, captionLeft, buttonsTop, 2160, 375);
    place(reread, 2400, buttonsTop, 1800, 375);
    place(close, readingLeft, buttonsTop, 960, 375);
    // The monitor restores its factory HV, focus, G2 and +80 V settings; the read shows them.
    connect(factory, &QPushButton::clicked, this, [this] { sendToMonitor(Catalogue::restoreHvDefaults()); });
    connect(reread, &QPushButton::clicked, this, [this] { sendToMonitor({Catalogue::readHvControls()}); });
    connect(close, &QPushButton::clicked, this, &ChildWindow::hideWindow);

    // The HV value box shows a reading; only the limits are typed.
    findChild<QLineEdit*>(QStringLiteral("HVValTextBox"))->setReadOnly(true);
    setWindowHeightTwips(buttonsTop + 1000);
    load();
}

void FrmMDI_HV::queueReads() {
    m_ctx.send(Catalogue::readHvControls());
}

FrmG2::FrmG2(AppContext& ctx, QWidget* parent)
    : HvWindow(ctx, QStringLiteral("frmG2"), QStringLiteral("Adjust High Voltage, Focus, G2"), parent) {
    const struct {
        const char* name;
        const char* text;
        int left;
    } headings[] = {{"Label5(0)", "Present / Initial Setting", presentLeft},
                    {"Label5(1)", "Factory Default", factoryLeft},
                    {"lbl6", "Actual Voltage", thirdLeft}};
    for (const auto& h : headings) {
        QLabel* heading = addLabel(QString::fromLatin1(h.name), QString::fromLatin1(h.text));
        heading->setWordWrap(true);
        heading->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        place(heading, h.left, headingsTop, h.left == thirdLeft ? 1100 : valueWidth, 480);
    }
    addControlRows({QStringLiteral("Label1"), QStringLiteral("HScroll1"), QStringLiteral("Label2"),
                    QStringLiteral("Label4"), QString(), DacRowNames::Display::Label},
                   {{"G2", 2}, {"HV", 0}, {"Focus", 1}}, 63, 8, rowsTop, rowPitch, QStringLiteral("00"));
    // The readings beside the rows they belong to.
    const struct {
        const char* name;
        const char* reading;
    } readings[] = {{"G2Label", "G2 Voltage"}, {"VAnodeValue", "HV Anode Voltage"}, {"FocusLabel", "Focus Voltage"}};
    for (int k = 0; k < 3; ++k) {
        QLabel* value = addLabel(QString::fromLatin1(readings[k].name), QString());
        place(value, thirdLeft, rowsTop + k * rowPitch, 1100, lineHeight);
        m_shown.bind(value, {QString::fromLatin1(readings[k].reading)}, DiagnosticPart::TestPoints);
    }

    // Hidden until the monitor holds a value these rows cannot take.
    const int noteTop = rowsTop + 3 * rowPitch + 120;
    m_beyondNote = addLabel(QStringLiteral("lblBeyondRange"), QString());
    m_beyondNote->setWordWrap(true);
    place(m_beyondNote, captionLeft, noteTop, thirdLeft - captionLeft - 120, 2 * lineHeight);
    m_toHighVoltage = addButton(QStringLiteral("btnHighVoltage"), QStringLiteral("High Voltage..."));
    place(m_toHighVoltage, thirdLeft, noteTop, 1100, 375);
    connect(m_toHighVoltage, &QPushButton::clicked, this, [this] { m_ctx.windows->show<FrmMDI_HV>(); });
    m_beyondNote->hide();
    m_toHighVoltage->hide();

    const int buttonsTop = noteTop + 2 * lineHeight + 120;
    QPushButton* factory = addButton(QStringLiteral("btnUseFactoryDefaults"), QStringLiteral("Use Factory Defaults"));
    QPushButton* done = addButton(QStringLiteral("btnDone"), QStringLiteral("Done"));
    place(factory, captionLeft, buttonsTop, 2160, 375);
    place(done, thirdLeft, buttonsTop, valueWidth, 375);
    connect(factory, &QPushButton::clicked, this, [this] { sendToMonitor(Catalogue::restoreHvDefaults()); });
    connect(done, &QPushButton::clicked, this, &ChildWindow::hideWindow);
    setWindowHeightTwips(buttonsTop + 1000);
    load();
}

void FrmG2::hvControlsShown() {
    const QStringList beyond = valuesBeyondRange();
    m_beyondNote->setText(QStringLiteral("The monitor holds %1, beyond the 0 to 63 of this window: nothing is sent "
                                         "from those rows. The High Voltage window adjusts them.")
                              .arg(beyond.join(QStringLiteral(", "))));
    m_beyondNote->setVisible(!beyond.isEmpty());
    m_toHighVoltage->setVisible(!beyond.isEmpty());
}

void FrmG2::queueReads() {
    if (FirmwareClass::isClass2(model().firmwareClass)) {
        m_ctx.send(Catalogue::readHvControls());
        m_ctx.send(Catalogue::readTestPoints());
    }
}
