#include "model/windows/WindowParts.h"

#include "ui/ChildWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace WindowParts {

QLabel* label(QWidget* parent, const QString& name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

QLabel* valueLabel(QWidget* parent, const QString& name, const QString& text) {
    QLabel* l = label(parent, name, text);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    l->setMinimumWidth(l->fontMetrics().averageCharWidth() * 16);
    return l;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& text, const QString& toolTip) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    if (!toolTip.isEmpty())
        b->setToolTip(toolTip);
    return b;
}

QPushButton* dismissButton(ChildWindow* window, const QString& name, const QString& text, const QString& toolTip) {
    QPushButton* b = button(window, name, text, toolTip);
    QObject::connect(b, &QPushButton::clicked, window, &ChildWindow::hideWindow);
    return b;
}

QBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton* b : buttons)
        row->addWidget(b);
    return row;
}

} // namespace WindowParts
