#include "ui/DacAdjustWindow.h"

#include <algorithm>

#include "model/MonitorModel.h"
#include "platform/Dialogs.h"
#include "protocol/Catalogue.h"
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
    fillFromModel();
    showScanSetCaption();
}

void DacAdjustWindow::onActivated() {
    showScanSetCaption();
    // Filling is not a change of the user's: it neither marks the data changed nor sends.
    fillFromModel();
    if (m_ctx.model->monitorResponding)
        queueReads();
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
    // beyond the range is refused with the range said: its end is not what the user asked for.
    if (ok && adjustableButForHeld(row)) {
        const int position = shown + group.displayOffset;
        if (DacSendPolicy::withinRange(row, position))
            setRowDeliberately(group, row, position);
        else if (m_ctx.dialogs && row.held != Held::Beyond)
            m_ctx.dialogs->message(this,
                                   DacSendPolicy::rangeMessage(group.shownText(row.slider->minimum()).trimmed(),
                                                               group.shownText(row.slider->maximum()).trimmed()),
                                   QString(), Dialogs::Ok, Dialogs::Warning);
    }
    // What the row holds, also when the text was no number or beyond the range.
    setDisplayText(row.present, group.shownText(row.held == Held::Beyond ? row.heldPosition : row.slider->value()));
}

void DacAdjustWindow::fillFromModel() {
    const DacSendPolicy::Showing showing(m_policy);
    const int set = scanSet();
    const bool monitor = m_ctx.model->monitorResponding;
    for (DacRowGroup* g : m_groups) {
        if (!g->filledFromModel || !g->group())
            continue;
        for (DacRow* row : g->walkedRows()) {
            int v = 0;
            // With a monitor, only what it reported on this connection is its value; a value of unknown origin is
            // a start value nobody reported, and is not shown as if it were one.
            const DacTable present = monitor ? DacTable::Value : DacTable::Committed;
            const Origin origin = g->group()->origin(present, row->index, set);
            if ((monitor ? origin == Origin::Read : origin != Origin::Unknown) &&
                g->get(present, row->index, set, &v)) {
                if (monitor)
                    showHeldPosition(*g, *row, v + g->displayOffset);
                else {
                    row->slider->setValue(v + g->displayOffset);
                    setDisplayText(row->present, g->shownText(row->slider->value()));
                }
            } else if (row->held == Held::Unread) {
                setDisplayText(row->present, QString());
            }
            const bool factory = g->known(DacTable::Factory, row->index, set);
            setDisplayText(row->factory,
                           factory && g->get(DacTable::Factory, row->index, set, &v) ? QString::number(v) : QString());
            const bool initial = g->known(DacTable::Initial, row->index, set);
            setDisplayText(row->initial,
                           initial && g->get(DacTable::Initial, row->index, set, &v) ? QString::number(v) : QString());
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

void DacAdjustWindow::sliderChanged(DacRowGroup& group, DacRow& row, int position) {
    // The slider of a row whose monitor value is beyond it shows nothing of the monitor: its position is neither
    // shown, stored nor sent.
    if (row.held == Held::Beyond)
        return;
    setDisplayText(row.present, group.shownText(position));
    // A value being shown is already in the model, with where it came from; it never goes back to the monitor.
    if (!m_policy.usersChange())
        return;
    // A scan set outside the tables (none selected) has no cell.
    group.set(DacTable::Value, row.index, scanSet(), position, Origin::User);
    m_ctx.model->dataChanged = true;
    if (DacSendPolicy::sends(row, m_ctx.model->monitorResponding))
        m_ctx.sendSetting(group.setRequest(row.index, position));
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
    // Only a value the monitor reported, a file held or the user set: an unread cell holds a 0 nobody chose.
    if (group.buttonSource == DacRowGroup::ValueSource::Columns) {
        bool ok = false;
        v = displayText(table == DacTable::Factory ? row.factory : row.initial).trimmed().toInt(&ok);
        if (!ok)
            return false;
    } else if (!group.known(table, row.index, scanSet()) || !group.get(table, row.index, scanSet(), &v)) {
        return false;
    }
    *position = v + group.displayOffset;
    return true;
}

int DacAdjustWindow::moveRowsTo(DacRowGroup& group, DacTable table) {
    if (!group.canMove())
        return 0;
    int moved = 0;
    for (DacRow* row : group.walkedRows()) {
        int v = 0;
        // A row the monitor family hides is not there to be moved; one the application mode locks is not the
        // user's to change, by a button no more than by its slider.
        if (hiddenByWindow(row->slider) || !DacSendPolicy::modeAllows(*row) || !buttonValue(group, *row, table, &v))
            continue;
        // A value beyond the slider is not put in its place by the slider's end.
        if (setRowDeliberately(group, *row, v)) {
            setDisplayText(row->present, group.shownText(row->slider->value()));
            ++moved;
        }
    }
    return moved;
}

void DacAdjustWindow::copyRowsToInitial(DacRowGroup& group) {
    for (DacRow* row : group.walkedRows()) {
        // A slider that does not show a known value has nothing to save.
        if (m_ctx.model->monitorResponding && row->held != Held::Shown)
            continue;
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
    moveAllRowsTo(DacTable::Factory);
}

void DacAdjustWindow::goBackToInitialSettings() {
    moveAllRowsTo(DacTable::Initial);
}

void DacAdjustWindow::moveAllRowsTo(DacTable table) {
    if (!buttonValuesReady())
        return;
    int moved = 0;
    for (DacRowGroup* g : m_groups)
        moved += moveRowsTo(*g, table);
    if (moved == 0 && m_ctx.dialogs)
        m_ctx.dialogs->message(this, noValuesToGoBackTo(table == DacTable::Factory), QString(), Dialogs::Ok,
                               Dialogs::Information);
}

QString DacAdjustWindow::noValuesToGoBackTo(bool factory) {
    return QStringLiteral("The %1 values have not been read from the monitor: nothing was changed.")
        .arg(factory ? QStringLiteral("factory default") : QStringLiteral("initial"));
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
            if (!g->known(DacTable::Committed, row->index, scanSet()) ||
                !g->get(DacTable::Committed, row->index, scanSet(), &v))
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

void DacAdjustWindow::showHeldPosition(DacRowGroup& g, DacRow& row, int position) {
    const DacSendPolicy::Showing showing(m_policy);
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
        g.set(DacTable::Committed, row.index, scanSet(), position, Origin::Read);
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
    // Without a monitor the rows edit the model.
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
