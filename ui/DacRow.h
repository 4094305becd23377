#pragma once
// The rows of an adjustment window: one row per DAC with its caption, slider and value boxes, and the rows of
// one DAC group together with what the group needs to talk to the monitor (its set and save requests).
#include "model/MonitorModel.h"
#include "protocol/Catalogue.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

#include <QScrollBar>

class QKeyEvent;
class QWheelEvent;
class QLabel;
class QWidget;

// The horizontal slider of a DAC row. Keys act as on a horizontal scroll bar of the desktop: Right and Down one
// step up, Left and Up one step down, Page Down and Page Up a large step, Home and End the ends. (Qt's own
// horizontal scroll bar moves down on Right.) The mouse wheel moves the slider only when it has the keyboard
// focus: a user scrolling the window past it must not change the monitor.
class DacSlider : public QScrollBar {
    Q_OBJECT
public:
    explicit DacSlider(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
};

// Documented control-array names of a group's rows; element i of an array is named "Name(i)". An empty name
// means the rows have no such control.
struct DacRowNames {
    QString caption;
    QString slider;
    QString present;
    QString factory;
    QString initial;
    // The value columns are text boxes (QLineEdit) or labels (QLabel).
    enum class Display { Box, Label };
    Display display = Display::Box;
    // Element of a value column = DAC index + its offset: one label array may hold the present, initial and
    // factory columns side by side (elements i, i + 4, i + 8).
    int presentOffset = 0;
    int factoryOffset = 0;
    int initialOffset = 0;
    // Every control carries its array name alone, without "(i)": a window with one row of its kind.
    bool singleNames = false;
};

struct DacRowDefinition {
    int index = 0; // DAC index in the group; also the element of the slider and value arrays
    QString caption;
    int captionElement = -1; // element of the caption array; -1 for the DAC index
    int max = 255;
    int smallChange = 1;
    int largeChange = 16;
};

// What a row knows of the value its DAC has in the monitor now connected. Unread: nothing yet. Shown: the slider
// stands at it (or at a value sent since, which the monitor then holds). Beyond: the monitor holds a position the
// slider cannot take; the present column shows it and the slider stays where it was, locked.
enum class Held { Unread, Shown, Beyond };

// One DAC row. The widgets belong to the window.
struct DacRow {
    int index = 0;
    Held held = Held::Unread;
    int heldPosition = 0; // the monitor's value as a slider position, when Shown or Beyond
    QLabel* caption = nullptr;
    QScrollBar* slider = nullptr;
    // QLineEdit or QLabel, per DacRowNames::Display; any may be null.
    QWidget* present = nullptr;
    QWidget* factory = nullptr;
    QWidget* initial = nullptr;
};

// The rows of one DAC group in one window.
class DacRowGroup : public QObject {
    Q_OBJECT
public:
    // Where "Go Back to Factory Defaults" and "Go Back to Initial Settings" take their values: the model's
    // factory and initial tables, or the numbers the window's factory and initial columns show.
    enum class ValueSource { Model, Columns };

    DacRowGroup(DacGroup* group, QChar letter, const DacRowNames& names, QObject* parent = nullptr);
    ~DacRowGroup() override;

    // The model group; nullptr for rows the model keeps no tables for (nothing is then stored or read).
    DacGroup* group() const { return m_group; }
    // A model table cell; false (and nothing done) without a model group or outside the tables.
    bool get(DacTable table, int index, int scanSet, int* value) const;
    void set(DacTable table, int index, int scanSet, int value, Origin from = Origin::User) const;
    // Whether the cell's value was read, loaded or set; false without a model group.
    bool known(DacTable table, int index, int scanSet) const;
    // Lower-case letter of the group's read, set and save requests; null for a group without them.
    QChar letter() const { return m_letter; }
    const DacRowNames& names() const { return m_names; }

    const QList<DacRow*>& rows() const { return m_rows; }
    // The rows every walk of the group covers (filling from the model, the factory, initial and save buttons,
    // enabling): all rows, or with walkByCount only those below the model group's count.
    QList<DacRow*> walkedRows() const;
    // The row of a DAC index; nullptr when the window does not show it.
    DacRow* row(int index) const;
    // The row whose slider this is; nullptr for any other widget.
    DacRow* rowOf(const QObject* slider) const;

    // The set request of a DAC with its key; by default the catalogue's DAC setting of the group's letter.
    std::function<Catalogue::Setting(int index, int position)> setRequest;
    // The save request queued after "Save Initial Settings" has copied the rows; empty when there is nothing to
    // send (by default the catalogue's save request of the letter, "cd" + letter + "p").
    std::function<QString()> saveRequest;
    // Signed values carried on a 0-based slider: shown value = position - displayOffset. The factory and
    // initial tables hold the shown (signed) values.
    int displayOffset = 0;
    // Filled from the model (committed, factory and initial tables) when no monitor responds.
    bool filledFromModel = true;
    // OK copies the positions into the committed table; Cancel moves the sliders back to it.
    bool committed = true;
    // Activation enables the sliders; deactivation disables them.
    bool enabledOnActivation = true;
    bool disabledOnDeactivation = true;
    // Walks cover only the rows below the model group's count (a group that shows more rows than it counts).
    bool walkByCount = false;
    // Conditions of the buttons, asked each time (firmware class, capability); unset means always.
    std::function<bool()> movable; // the factory and initial buttons move the rows
    std::function<bool()> savable; // "Save Initial Settings" copies the rows and sends the save request
    ValueSource buttonSource = ValueSource::Model;
    // The present column shows its number after a blank.
    bool presentLeadingBlank = false;

    // The text the present column shows for a slider position.
    QString shownText(int position) const {
        const QString text = QString::number(position - displayOffset);
        return presentLeadingBlank ? QLatin1Char(' ') + text : text;
    }
    bool canMove() const { return !movable || movable(); }
    bool canSave() const { return !savable || savable(); }

    // Takes ownership of the row.
    DacRow* addRow(DacRow* row);

private:
    DacGroup* m_group;
    QChar m_letter;
    DacRowNames m_names;
    QList<DacRow*> m_rows;
};

// "Name(i)".
QString elementName(const QString& array, int element);
// Hidden by a hide() or setVisible(false) of its own, not merely because its window is not shown yet.
bool hiddenByWindow(const QWidget* widget);
// Shows a text in a QLineEdit or QLabel.
void setDisplayText(QWidget* display, const QString& text);
QString displayText(const QWidget* display);
