#pragma once
// Small builders shared by the information windows: controls carry their documented names, so that the
// answers' routes and the tests find them.
#include <QString>

#include <initializer_list>

class ChildWindow;
class QBoxLayout;
class QLabel;
class QPushButton;
class QWidget;

namespace WindowParts {

QLabel* label(QWidget* parent, const QString& name, const QString& text);
// A value label: framed, selectable, so that a number can be copied.
QLabel* valueLabel(QWidget* parent, const QString& name, const QString& text = QString());
QPushButton* button(QWidget* parent, const QString& name, const QString& text, const QString& toolTip = QString());
// "Done", "OK", "Close": hides the window.
QPushButton* dismissButton(ChildWindow* window, const QString& name, const QString& text,
                           const QString& toolTip = QString());
// A row of buttons at the right edge.
QBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons);

} // namespace WindowParts
