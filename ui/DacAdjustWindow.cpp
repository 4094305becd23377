#include "ui/DacAdjustWindow.h"

#include <algorithm>

#include "history/ChangeRecorder.h"
#include "model/MonitorModel.h"
#include "protocol/Catalogue.h"
#include "protocol/ParseRules.h"
#include "protocol/TextHelpers.h"
#include "ui/AppContext.h"
#include "ui/WindowPlacement.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>

namespace {
// Standard row columns, twips.
constexpr int captionLeft = 120, captionWidth = 1815;
constexpr int sliderLeft = 1995, sliderWidth = 2895;
constexpr int presentLeft = 5010, factoryLeft = 5850, initialLeft = 6690, valueWidth = 735;
constexpr int rowHeight = 285;

// Restores a flag when the scope ends.
class FlagRestore {
public:
    FlagRestore(bool& flag, bool during) : m_flag(flag), m_saved(flag) { m_flag = during; }
    ~FlagRestore() { m_flag = m_saved; }
    FlagRestore(const FlagRestore&) = delete;
    FlagRestore& operator=(const FlagRestore&) = delete;

private:
    bool& m_flag;
    bool m_saved;
};

// Numbers of a list up to the first outside 0..255 (the four-box rule), at most four.
QVector<int> fourInByteRange(QString rest) {
    QVector<int> values;
    for (int k = 0; k < 4; ++k) {
        const int n = ParseRules::nextNumber(rest);
        if (n < 0 || n > 255)
            break;
        values.append(n);
    }
    return values;
}
} // namespace

DacAdjustWindow::DacAdjustWindow(AppContext& ctx, const QString& objectName, const QString& caption, QWidget* parent)
    : ChildWindow(ctx, objectName, caption, parent) {}

MonitorModel& DacAdjustWindow::model() const {
    return *m_ctx.model;
}

int DacAdjustWindow::scanSet() const {
    return m_ctx.model->currentScanSet;
}

DacRowGroup* DacAdjustWindow::rowGroup(QChar letter) const {
    const QChar l = letter.toLower();
    for (DacRowGroup* g : m_groups)
        if (!g->letter().isNull() && g->letter() == l)
            return g;
    return nullptr;
}

DacRowGroup* DacAdjustWindow::rowGroup(const DacGroup* group) const {
    for (DacRowGroup* g : m_groups)
        if (g->group() == group)
            return g;
    return nullptr;
}

DacRowGroup* DacAdjustWindow::addRowGroup(DacGroup* group, QChar letter, const DacRowNames& names) {
    auto* g = new DacRowGroup(group, letter, names, this);
    m_groups.append(g);
    return g;
}

DacRow* DacAdjustWindow::addRow(DacRowGroup* group, const DacRowDefinition& def) {
    const DacRowNames& names = group->names();
    auto* row = new DacRow;
    row->index = def.index;
    auto nameOf = [&names](const QString& array, int element) {
        return names.singleNames ? array : elementName(array, element);
    };
    if (!names.caption.isEmpty()) {
        row->caption = new QLabel(def.caption, this);
        row->caption->setObjectName(nameOf(names.caption, def.captionElement >= 0 ? def.captionElement : def.index));
    }
    row->slider = new DacSlider(this);
    row->slider->setObjectName(nameOf(names.slider, def.index));
    row->slider->setFocusPolicy(Qt::StrongFocus);
    row->slider->setRange(0, def.max);
    row->slider->setSingleStep(def.smallChange);
    row->slider->setPageStep(def.largeChange);
    // Like a scroll bar's change event: a drag reports its position when the thumb is released.
    row->slider->setTracking(false);
    gate(row->slider);
    auto makeDisplay = [&](const QString& array, int offset, bool readOnly) -> QWidget* {
        if (array.isEmpty())
            return nullptr;
        QWidget* w = nullptr;
        if (names.display == DacRowNames::Display::Label) {
            w = new QLabel(this);
        } else {
            auto* box = new QLineEdit(this);
            box->setReadOnly(readOnly);
            w = box;
        }
        w->setObjectName(nameOf(array, def.index + offset));
        return w;
    };
    row->present = makeDisplay(names.present, names.presentOffset, false);
    row->factory = makeDisplay(names.factory, names.factoryOffset, true);
    row->initial = makeDisplay(names.initial, names.initialOffset, true);
    group->addRow(row);
    updateHeldLock(*group, *row);

    QScrollBar* slider = row->slider;
    connect(slider, &QAbstractSlider::valueChanged, this, [this, group, slider](int position) {
        if (DacRow* r = group->rowOf(slider))
            sliderChanged(*group, *r, position);
    });
    // While the thumb is dragged the present column follows it; the request goes once, on release.
    connect(slider, &QAbstractSlider::sliderMoved, this, [group, slider](int position) {
        if (DacRow* r = group->rowOf(slider))
            setDisplayText(r->present, group->shownText(position));
    });
    if (auto* box = qobject_cast<QLineEdit*>(row->present)) {
        connect(box, &QLineEdit::returnPressed, this, [this, group, slider] {
            if (DacRow* r = group->rowOf(slider))
                takeTypedValue(*group, *r);
        });
    }
    return row;
}

QLabel* DacAdjustWindow::addLabel(const QString& name, const QString& text) {
    auto* label = new QLabel(text, this);
    label->setObjectName(name);
    return label;
}

void DacAdjustWindow::addScaleAndHeadings(const QString& scanSetLabelName, const QString& factoryHeading,
                                          const QString& initialHeading) {
    QLabel* scanSet = addLabel(scanSetLabelName, QString());
    setScanSetLabel(scanSet);
    place(scanSet, 120, 60, 4800, 255);
    place(addLabel(QStringLiteral("Label2"), QStringLiteral("0")), 1995, 390, 360, 240);
    QLabel* scaleEnd = addLabel(QStringLiteral("Label3"), QStringLiteral("255"));
    scaleEnd->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    place(scaleEnd, 4410, 390, 480, 240);
    const struct {
        const char* name;
        QString text;
        int left;
    } headings[] = {{"Label4", QStringLiteral("Present Value"), 5010},
                    {"Label5", factoryHeading, 5850},
                    {"Label6", initialHeading, 6690}};
    for (const auto& h : headings) {
        QLabel* label = addLabel(QString::fromLatin1(h.name), h.text);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        place(label, h.left, 120, 735, 480);
    }
}

QPushButton* DacAdjustWindow::addButton(const QString& name, const QString& text) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(name);
    return button;
}

void DacAdjustWindow::setSettingButtons(QPushButton* factory, QPushButton* initial, QPushButton* save) {
    m_settingButtons.clear();
    for (QPushButton* b : {factory, initial, save}) {
        if (!b)
            continue;
        gate(b);
        m_settingButtons.append(b);
    }
    if (factory)
        connect(factory, &QPushButton::clicked, this, [this] { goBackToFactoryDefaults(); });
    if (initial)
        connect(initial, &QPushButton::clicked, this, [this] { goBackToInitialSettings(); });
    if (save)
        connect(save, &QPushButton::clicked, this, [this] { saveInitialSettings(); });
}

void DacAdjustWindow::showScanSetCaption() {
    if (m_scanSetLabel)
        m_scanSetLabel->setText(m_ctx.model->scanSetCaption);
}

void DacAdjustWindow::load() {
    sendEnabled = false;
    if (!m_ctx.model->monitorResponding) {
        fillFromModel();
        sendEnabled = true;
    }
    showScanSetCaption();
}

void DacAdjustWindow::onActivated() {
    showScanSetCaption();
    sendEnabled = false;
    if (m_ctx.model->monitorResponding) {
        queueReads();
        // The answers come later and move the sliders with sending already on.
        sendEnabled = true;
    } else {
        // Filling is not a change of the user's: it neither marks the data changed nor sends.
        fillFromModel();
        sendEnabled = true;
    }
    setAdjustable(true);
}

void DacAdjustWindow::onDeactivated() {
    setAdjustable(false);
}

void DacAdjustWindow::queueReads() {
    for (DacRowGroup* g : m_groups) {
        if (g->letter().isNull())
            continue;
        m_ctx.send(Catalogue::readDac(g->letter(), DacKind::Current));
        m_ctx.send(Catalogue::readDac(g->letter(), DacKind::Initial));
        m_ctx.send(Catalogue::readDac(g->letter(), DacKind::Factory));
    }
}

void DacAdjustWindow::takeTypedValue(DacRowGroup& group, DacRow& row) {
    bool ok = false;
    const int shown = displayText(row.present).trimmed().toInt(&ok);
    // A slider that cannot be adjusted now (another window is active, the mode or the family forbids it) cannot
    // be moved by typing either; one that only waits for the monitor's value takes the user's own. A number
    // beyond the range goes to its end, except on a row whose monitor value is beyond it: Enter on the shown
    // value must not replace it.
    if (ok && adjustableButForHeld(row)) {
        int position = shown + group.displayOffset;
        if (row.held != Held::Beyond)
            position = std::clamp(position, row.slider->minimum(), row.slider->maximum());
        setRowDeliberately(group, row, position);
    }
    // What the row holds, also when the text was no number or beyond the range.
    setDisplayText(row.present, group.shownText(row.held == Held::Beyond ? row.heldPosition : row.slider->value()));
}

void DacAdjustWindow::fillFromModel() {
    const int set = scanSet();
    for (DacRowGroup* g : m_groups) {
        if (!g->filledFromModel)
            continue;
        for (DacRow* row : g->walkedRows()) {
            int v = 0;
            if (g->get(DacTable::Committed, row->index, set, &v)) {
                row->slider->setValue(v + g->displayOffset);
                setDisplayText(row->present, g->shownText(row->slider->value()));
            }
            if (g->get(DacTable::Factory, row->index, set, &v))
                setDisplayText(row->factory, QString::number(v));
            if (g->get(DacTable::Initial, row->index, set, &v))
                setDisplayText(row->initial, QString::number(v));
        }
    }
}

void DacAdjustWindow::setAdjustable(bool on) {
    for (DacRowGroup* g : m_groups) {
        if (on ? !g->enabledOnActivation : !g->disabledOnDeactivation)
            continue;
        for (DacRow* row : g->walkedRows())
            setLocked(row->slider, Lock::Inactive, !on);
    }
    for (QPushButton* b : m_settingButtons)
        setLocked(b, Lock::Inactive, !on);
}

bool DacAdjustWindow::sendAllowed(const DacRowGroup& group) const {
    return group.sendFlag == DacRowGroup::SendFlag::AllowControlSend ? m_ctx.model->allowControlSend : sendEnabled;
}

void DacAdjustWindow::sliderChanged(DacRowGroup& group, DacRow& row, int position) {
    // The slider of a row whose monitor value is beyond it shows nothing of the monitor: its position is neither
    // shown, stored nor sent.
    if (row.held == Held::Beyond)
        return;
    setDisplayText(row.present, group.shownText(position));
    int old = 0;
    group.get(DacTable::Value, row.index, scanSet(), &old);
    // Stored whatever moved the slider; a scan set outside the tables (none selected) has no cell.
    group.set(DacTable::Value, row.index, scanSet(), position);
    if (!sendAllowed(group) || !showsMonitorValue(row))
        return;
    m_ctx.model->dataChanged = true;
    if (!m_ctx.model->monitorResponding)
        return;
    const Catalogue::Setting setting = group.setRequest(row.index, position);
    if (m_ctx.recorder && old != position)
        m_ctx.recorder->aboutToChange({setting.key,
                                       QString::number(old),
                                       QString::number(position),
                                       objectName(),
                                       {scanSet()},
                                       group.letter(),
                                       row.index});
    m_ctx.sendSetting(setting);
}

bool DacAdjustWindow::rowShown(const DacRow* row) {
    return !hiddenByWindow(row->slider) || (row->present && !hiddenByWindow(row->present));
}

void DacAdjustWindow::setRowShown(DacRow* row, bool shown) {
    for (QWidget* w : {static_cast<QWidget*>(row->caption), static_cast<QWidget*>(row->slider), row->present,
                       row->factory, row->initial})
        if (w)
            w->setVisible(shown);
}

void DacAdjustWindow::setRowsLocked(DacRowGroup& group, Lock reason, bool locked) {
    for (DacRow* row : group.walkedRows())
        for (QWidget* w : {static_cast<QWidget*>(row->caption), static_cast<QWidget*>(row->slider), row->present,
                           row->factory, row->initial})
            if (w)
                setLocked(w, reason, locked);
}

bool DacAdjustWindow::buttonValue(const DacRowGroup& group, const DacRow& row, DacTable table, int* position) const {
    int v = 0;
    if (group.buttonSource == DacRowGroup::ValueSource::Columns) {
        bool ok = false;
        v = displayText(table == DacTable::Factory ? row.factory : row.initial).trimmed().toInt(&ok);
        if (!ok)
            return false;
    } else if (!group.get(table, row.index, scanSet(), &v)) {
        return false;
    }
    *position = v + group.displayOffset;
    return true;
}

void DacAdjustWindow::moveRowsTo(DacRowGroup& group, DacTable table) {
    if (!group.canMove())
        return;
    for (DacRow* row : group.walkedRows()) {
        int v = 0;
        // A row the monitor family hides is not there to be moved.
        if (hiddenByWindow(row->slider) || !buttonValue(group, *row, table, &v))
            continue;
        // A value beyond the slider is not put in its place by the slider's end.
        if (setRowDeliberately(group, *row, v))
            setDisplayText(row->present, group.shownText(row->slider->value()));
    }
}

void DacAdjustWindow::copyRowsToInitial(DacRowGroup& group) {
    for (DacRow* row : group.walkedRows()) {
        const int shown = row->slider->value() - group.displayOffset;
        group.set(DacTable::Initial, row->index, scanSet(), shown);
        setDisplayText(row->initial, QString::number(shown));
    }
}

void DacAdjustWindow::commitRows(DacRowGroup& group) {
    for (DacRow* row : group.rows())
        group.set(DacTable::Committed, row->index, scanSet(), row->slider->value());
}

void DacAdjustWindow::goBackToFactoryDefaults() {
    if (!buttonValuesReady())
        return;
    for (DacRowGroup* g : m_groups)
        moveRowsTo(*g, DacTable::Factory);
}

void DacAdjustWindow::goBackToInitialSettings() {
    if (!buttonValuesReady())
        return;
    for (DacRowGroup* g : m_groups)
        moveRowsTo(*g, DacTable::Initial);
}

void DacAdjustWindow::saveInitialSettings() {
    for (DacRowGroup* g : m_groups) {
        if (!g->canSave())
            continue;
        copyRowsToInitial(*g);
        const QString request = g->saveRequest ? g->saveRequest() : QString();
        // Without a monitor there is nobody to save them: the model keeps them for the data file.
        if (!request.isEmpty() && m_ctx.model->monitorResponding)
            m_ctx.send(request);
    }
}

void DacAdjustWindow::ok() {
    for (DacRowGroup* g : m_groups)
        if (g->committed)
            commitRows(*g);
    hideWindow();
}

void DacAdjustWindow::cancel() {
    for (DacRowGroup* g : m_groups) {
        if (!g->committed)
            continue;
        for (DacRow* row : g->rows()) {
            int v = 0;
            if (!g->get(DacTable::Committed, row->index, scanSet(), &v))
                continue;
            if (setRowDeliberately(*g, *row, v))
                setDisplayText(row->present, g->shownText(row->slider->value()));
        }
    }
    hideWindow();
}

void DacAdjustWindow::showDacValues(QChar group, DacKind kind, const QVector<int>& values) {
    for (int i = 0; i < values.size(); ++i)
        showDacValue(group, kind, i, values[i]);
}

void DacAdjustWindow::showDacValue(QChar group, DacKind kind, int index, int value) {
    DacRowGroup* g = rowGroup(group);
    if (DacRow* row = g ? g->row(index) : nullptr)
        showRowValue(*g, *row, kind, value);
}

void DacAdjustWindow::showRowValue(DacRowGroup& g, DacRow& row, DacKind kind, int value) {
    switch (kind) {
    case DacKind::Current:
        showHeldPosition(g, row, value);
        break;
    case DacKind::Factory:
        setDisplayText(row.factory, QString::number(value));
        break;
    case DacKind::Initial:
        setDisplayText(row.initial, QString::number(value));
        break;
    }
}

int DacAdjustWindow::fillFourBoxes(const QList<QWidget*>& boxes, const QString& numbers, DacGroup* group,
                                   DacTable table, int max) {
    return fillFourBoxes(boxes, fourInByteRange(numbers), group, table, max);
}

int DacAdjustWindow::fillFourBoxes(const QList<QWidget*>& boxes, const QVector<int>& values, DacGroup* group,
                                   DacTable table, int max) {
    int k = 0;
    for (; k < 4 && k < values.size() && k < boxes.size(); ++k) {
        if (values[k] < 0 || values[k] > 255)
            break;
        const int v = std::min(values[k], max);
        setDisplayText(boxes[k], QString::number(v));
        if (group)
            group->set(table, k, scanSet(), v);
    }
    return k;
}

int DacAdjustWindow::fillFourLabels(const QList<QWidget*>& labels, const QString& body, DacGroup* group, DacTable table,
                                    int max) {
    return fillFourBoxes(labels, Text::textAfterLineFeed(body), group, table, max);
}

int DacAdjustWindow::setFourSliders(const QList<QScrollBar*>& sliders, const QString& numbers) {
    QVector<int> values;
    QString rest = numbers;
    for (int k = 0; k < 4; ++k)
        values.append(ParseRules::nextNumber(rest));
    return setFourSliders(sliders, values);
}

int DacAdjustWindow::setFourSliders(const QList<QScrollBar*>& sliders, const QVector<int>& values) {
    FlagRestore quiet(m_ctx.model->allowControlSend, false);
    int k = 0;
    for (; k < 4 && k < values.size() && k < sliders.size(); ++k) {
        if (values[k] < 0 || values[k] > sliders[k]->maximum())
            break;
        DacRowGroup* g = nullptr;
        if (DacRow* row = rowOfSlider(sliders[k], &g))
            showHeldPosition(*g, *row, values[k]);
        else
            sliders[k]->setValue(values[k]);
    }
    return k;
}

int DacAdjustWindow::setFourSlidersAfterFirstLine(const QList<QScrollBar*>& sliders, const QString& body) {
    return setFourSliders(sliders, Text::textAfterLineFeed(body));
}

void DacAdjustWindow::showHeldPosition(DacRowGroup& g, DacRow& row, int position) {
    QScrollBar* slider = row.slider;
    const bool fits = position >= slider->minimum() && position <= slider->maximum();
    row.held = fits ? Held::Shown : Held::Beyond;
    row.heldPosition = position;
    updateHeldLock(g, row);
    if (fits)
        slider->setValue(position);
    setDisplayText(row.present, g.shownText(position));
    // What the monitor holds is what Cancel returns to; nothing is accepted before the first read.
    if (fits && g.committed)
        g.set(DacTable::Committed, row.index, scanSet(), position);
}

bool DacAdjustWindow::setRowDeliberately(DacRowGroup& group, DacRow& row, int position) {
    QScrollBar* slider = row.slider;
    if (position < slider->minimum() || position > slider->maximum())
        return false;
    const bool wasShown = row.held == Held::Shown;
    row.held = Held::Shown;
    row.heldPosition = position;
    updateHeldLock(group, row);
    if (slider->value() != position)
        slider->setValue(position);
    else if (!wasShown)
        sliderChanged(group, row, position); // the monitor holds something else: the value must still go
    return true;
}

bool DacAdjustWindow::showsMonitorValue(const DacRow& row) const {
    return !m_ctx.model->monitorResponding || row.held == Held::Shown;
}

void DacAdjustWindow::forgetMonitorValues() {
    for (DacRowGroup* g : m_groups)
        for (DacRow* row : g->rows()) {
            row->held = Held::Unread;
            updateHeldLock(*g, *row);
        }
    if (isVisible() && m_ctx.model->monitorResponding)
        queueReads();
}

DacRow* DacAdjustWindow::rowOfSlider(const QObject* slider, DacRowGroup** group) const {
    for (DacRowGroup* g : m_groups)
        if (DacRow* row = g->rowOf(slider)) {
            if (group)
                *group = g;
            return row;
        }
    return nullptr;
}

void DacAdjustWindow::updateHeldLock(DacRowGroup& g, DacRow& row) {
    const QScrollBar* s = row.slider;
    QString note;
    if (row.held == Held::Beyond)
        note = QStringLiteral("The monitor holds %1, outside the %2 to %3 of this control: it sends nothing until a "
                              "value within that range is set.")
                   .arg(g.shownText(row.heldPosition).trimmed(), g.shownText(s->minimum()).trimmed(),
                        g.shownText(s->maximum()).trimmed());
    else if (row.held == Held::Unread && m_ctx.model->monitorResponding)
        note = QStringLiteral("Not read from the monitor yet: this control sends nothing until it shows the "
                              "monitor's value.");
    setLocked(row.slider, Lock::Held, !note.isEmpty());
    row.slider->setToolTip(note);
    if (row.present)
        row.present->setToolTip(note);
}

bool DacAdjustWindow::adjustableButForHeld(DacRow& row) {
    QWidget* g = outer(row.slider);
    const bool parentEnabled = !g->parentWidget() || g->parentWidget()->isEnabled();
    return parentEnabled && row.slider->isEnabledTo(g) && (m_locks.value(row.slider) & ~int(Lock::Held)) == 0;
}

QWidget* DacAdjustWindow::gate(QWidget* control) {
    if (QWidget* existing = m_gates.value(control))
        return existing;
    // The gate carries this window's locks; the control's own enabled state stays free for the mode.
    auto* g = new QWidget(this);
    g->setObjectName(control->objectName() + QStringLiteral("Gate"));
    auto* layout = new QHBoxLayout(g);
    layout->setContentsMargins(0, 0, 0, 0);
    control->setParent(g);
    layout->addWidget(control);
    m_gates.insert(control, g);
    control->installEventFilter(this);
    return g;
}

bool DacAdjustWindow::eventFilter(QObject* watched, QEvent* event) {
    // A control hidden or shown by the window takes its gate with it, so that nothing empty stays behind to
    // take room or catch the mouse.
    if (event->type() == QEvent::HideToParent || event->type() == QEvent::ShowToParent)
        if (QWidget* g = m_gates.value(static_cast<QWidget*>(watched)))
            g->setVisible(event->type() == QEvent::ShowToParent);
    return ChildWindow::eventFilter(watched, event);
}

QWidget* DacAdjustWindow::outer(QWidget* control) const {
    QWidget* g = m_gates.value(control);
    return g ? g : control;
}

void DacAdjustWindow::setLocked(QWidget* control, Lock reason, bool locked) {
    int& locks = m_locks[control];
    if (locked)
        locks |= int(reason);
    else
        locks &= ~int(reason);
    // Sliders and setting buttons have gates; any other control carries its locks itself.
    outer(control)->setEnabled(locks == 0);
}

bool DacAdjustWindow::isLocked(QWidget* control, Lock reason) const {
    return (m_locks.value(control) & int(reason)) != 0;
}

void DacAdjustWindow::place(QWidget* control, int left, int top, int width, int height) {
    // Edges rather than lengths are converted, so that controls laid edge to edge do not overlap by rounding.
    if (control)
        outer(control)->setGeometry(
            QRect(QPoint(twips(left), twips(top)), QPoint(twips(left + width) - 1, twips(top + height) - 1)));
}

void DacAdjustWindow::placeRow(DacRow* row, int top) {
    place(row->caption, captionLeft, top, captionWidth, rowHeight);
    place(row->slider, sliderLeft, top, sliderWidth, rowHeight);
    place(row->present, presentLeft, top, valueWidth, rowHeight);
    place(row->factory, factoryLeft, top, valueWidth, rowHeight);
    place(row->initial, initialLeft, top, valueWidth, rowHeight);
}

int DacAdjustWindow::windowHeightTwips() const {
    const QWidget* frame = qobject_cast<QMdiSubWindow*>(parentWidget()) ? parentWidget() : this;
    return qRound(frame->height() * 1440.0 / (m_ctx.placement ? m_ctx.placement->dpi() : 96.0));
}
