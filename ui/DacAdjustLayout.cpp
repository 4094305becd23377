// The DAC pattern's layout: building the rows and controls with their documented names, placing them in twips,
// and the gates that carry the window's locks apart from the application mode's own enabling.
#include "ui/DacAdjustWindow.h"

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

QWidget* DacAdjustWindow::gate(QWidget* control) {
    if (QWidget* existing = m_gates.value(control))
        return existing;
    // The gate carries this window's locks; the control's own enabled state stays free for the mode.
    auto* g = new QWidget(this);
    g->setObjectName(control->objectName() + QStringLiteral("Gate"));
    auto* layout = new QHBoxLayout(g);
    layout->setContentsMargins(0, 0, 0, 0);
    control->setParent(g);
    // A button fills its place as the buttons beside it without a gate do.
    if (qobject_cast<QPushButton*>(control))
        control->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
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
