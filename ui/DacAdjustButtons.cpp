// The DAC pattern's buttons: back to the factory or initial values, save the initial values, OK and Cancel. Each
// moves only rows whose values are known and that the application mode lets the user change.
#include "ui/DacAdjustWindow.h"

#include "model/MonitorModel.h"
#include "platform/Dialogs.h"
#include "ui/AppContext.h"

#include <QScrollBar>

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
