#include "ui/StateView.h"

#include "ui/BootModeGuard.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QSignalBlocker>

void StateView::showSelected(const QList<QAbstractButton*>& options, int index) {
    // An exclusive set of options cannot show none selected; exclusivity is lifted while they are set.
    for (QAbstractButton* o : options) {
        if (QButtonGroup* group = o->group())
            group->setExclusive(false);
        else
            o->setAutoExclusive(false);
    }
    for (int i = 0; i < options.size(); ++i) {
        const QSignalBlocker quiet(options[i]);
        options[i]->setChecked(i == index);
    }
    for (QAbstractButton* o : options) {
        if (QButtonGroup* group = o->group())
            group->setExclusive(true);
        else
            o->setAutoExclusive(true);
    }
}

QLabel* StateView::createNote(QWidget* parent, const QString& name, const QString& text) {
    auto* note = new QLabel(text, parent);
    note->setObjectName(name);
    note->setWordWrap(true);
    note->setProperty(BootModeGuard::stateNote, true);
    note->hide();
    return note;
}

void StateView::showNote(QLabel* note, bool allKnown) {
    // In the boot block the window's notice says why nothing is selected, and nothing can be chosen.
    if (note)
        note->setVisible(!allKnown && !BootModeGuard::noticeShown(note->parentWidget()));
}

QString StateView::signedText(int n) {
    return n >= 0 ? QLatin1Char(' ') + QString::number(n) : QString::number(n);
}
