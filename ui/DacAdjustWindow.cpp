// The DAC pattern's behaviour: showing what the monitor or the model holds, and turning the user's own changes
// into set requests through the send policy.
#include "ui/DacAdjustWindow.h"

#include "model/MonitorModel.h"
#include "platform/Dialogs.h"
#include "protocol/Catalogue.h"
#include "ui/AppContext.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

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
    group.set(DacTable::Value, row.index, scanSet(), position, Origin::User);
    m_ctx.model->dataChanged = true;
    if (!DacSendPolicy::sends(row, m_ctx.model->monitorResponding))
        return;
    m_ctx.sendSetting(group.setRequest(row.index, position));
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
    g.set(DacTable::Value, row.index, scanSet(), position, Origin::Read);
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
