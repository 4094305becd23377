#include "ui/DacRow.h"

#include "protocol/Catalogue.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QWheelEvent>
#include <QWidget>

DacSlider::DacSlider(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {}

void DacSlider::keyPressEvent(QKeyEvent* event) {
    SliderAction action = SliderNoAction;
    switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Down:
        action = SliderSingleStepAdd;
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
        action = SliderSingleStepSub;
        break;
    case Qt::Key_PageDown:
        action = SliderPageStepAdd;
        break;
    case Qt::Key_PageUp:
        action = SliderPageStepSub;
        break;
    case Qt::Key_Home:
        action = SliderToMinimum;
        break;
    case Qt::Key_End:
        action = SliderToMaximum;
        break;
    default:
        QScrollBar::keyPressEvent(event);
        return;
    }
    triggerAction(action);
    event->accept();
}

void DacSlider::wheelEvent(QWheelEvent* event) {
    // Ignored, the event goes on to the window, which scrolls.
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    QScrollBar::wheelEvent(event);
}

DacRowGroup::DacRowGroup(DacGroup* group, QChar letter, const DacRowNames& names, QObject* parent)
    : QObject(parent), m_group(group), m_letter(letter.toLower()), m_names(names) {
    const QChar l = m_letter;
    setRequest = [l](int index, int position) { return Catalogue::dacSetting(l, index, position); };
    saveRequest = [l] { return l.isNull() ? QString() : Catalogue::saveDacs(l); };
}

DacRowGroup::~DacRowGroup() {
    qDeleteAll(m_rows);
}

bool DacRowGroup::get(DacTable table, int index, int scanSet, int* value) const {
    return m_group && m_group->get(table, index, scanSet, value);
}

bool DacRowGroup::known(DacTable table, int index, int scanSet) const {
    return m_group && m_group->known(table, index, scanSet);
}

void DacRowGroup::set(DacTable table, int index, int scanSet, int value, Origin from) const {
    if (m_group)
        m_group->set(table, index, scanSet, value, from);
}

QList<DacRow*> DacRowGroup::walkedRows() const {
    if (!walkByCount || !m_group)
        return m_rows;
    QList<DacRow*> rows;
    for (DacRow* r : m_rows)
        if (r->index < m_group->count)
            rows.append(r);
    return rows;
}

DacRow* DacRowGroup::row(int index) const {
    for (DacRow* r : m_rows)
        if (r->index == index)
            return r;
    return nullptr;
}

DacRow* DacRowGroup::rowOf(const QObject* slider) const {
    for (DacRow* r : m_rows)
        if (r->slider == slider)
            return r;
    return nullptr;
}

DacRow* DacRowGroup::addRow(DacRow* row) {
    m_rows.append(row);
    return row;
}

QString elementName(const QString& array, int element) {
    return array + QLatin1Char('(') + QString::number(element) + QLatin1Char(')');
}

bool hiddenByWindow(const QWidget* widget) {
    return widget && widget->isHidden() && widget->testAttribute(Qt::WA_WState_ExplicitShowHide);
}

void setDisplayText(QWidget* display, const QString& text) {
    if (auto* box = qobject_cast<QLineEdit*>(display))
        box->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(display))
        label->setText(text);
}

QString displayText(const QWidget* display) {
    if (auto* box = qobject_cast<const QLineEdit*>(display))
        return box->text();
    if (auto* label = qobject_cast<const QLabel*>(display))
        return label->text();
    return QString();
}
