// Every window the menus open, for each simulated family, at the default font, a larger one and 144 dots per
// inch (a font half as large again): each shown control holds its text, lies inside the window's scrollable
// extent and overlaps no other control; no field is empty and no band between its contents left empty, and a
// window with every choice off says why and asks for no choice; the window lies whole in the area it opens in,
// names what its menu item names, opens with a control focused and closes by Esc and Ctrl+F4; tiled windows share
// the area; every menu item has an access key of its own.
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "link/TransmitQueue.h"
#include "sim/SimMonitor.h"
#include "sim/SimProfile.h"
#include "support/ToolHarness.h"
#include "ui/ChildWindowFrame.h"
#include "ui/WindowRegistry.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QWheelEvent>
#include <QtTest>

namespace {

// Menu items that do not open a child window of their own.
bool opensNoWindow(const QString& item) {
    return item.startsWith("mnuFile") || item.startsWith("mnuMonitor") || item.startsWith("mnuWindow") ||
           item == "mnuHelpTopics" || item == "mnuHelpAbout";
}

QString withoutMnemonic(QString text) {
    text.replace(QRegularExpression("&(.)"), "\\1");
    return text;
}

// The room a control gives its text, or an empty size for controls that show none.
QSize textRoom(QWidget* c) {
    if (auto* b = qobject_cast<QAbstractButton*>(c)) {
        QStyleOptionButton opt;
        opt.initFrom(b);
        opt.text = b->text();
        const QStyle::SubElement e = qobject_cast<QCheckBox*>(b)      ? QStyle::SE_CheckBoxContents
                                     : qobject_cast<QRadioButton*>(b) ? QStyle::SE_RadioButtonContents
                                                                      : QStyle::SE_PushButtonContents;
        return b->style()->subElementRect(e, &opt, b).size();
    }
    if (auto* e = qobject_cast<QLineEdit*>(c)) {
        const int frame = e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, e);
        return e->size() - QSize(2 * frame + 4, 2 * frame);
    }
    if (auto* l = qobject_cast<QLabel*>(c))
        return l->contentsRect().size() - QSize(2 * l->margin() + qMax(0, l->indent()), 2 * l->margin());
    if (auto* g = qobject_cast<QGroupBox*>(c))
        return QSize(g->width() - 2 * g->fontMetrics().averageCharWidth(), g->height());
    return QSize();
}

QString shownText(QWidget* c) {
    if (auto* b = qobject_cast<QAbstractButton*>(c))
        return withoutMnemonic(b->text());
    if (auto* e = qobject_cast<QLineEdit*>(c))
        return e->text().isEmpty() ? e->placeholderText() : e->displayText();
    if (auto* l = qobject_cast<QLabel*>(c))
        return l->textFormat() == Qt::RichText || Qt::mightBeRichText(l->text()) ? QString() : l->text();
    if (auto* g = qobject_cast<QGroupBox*>(c))
        return withoutMnemonic(g->title());
    return QString();
}

bool isControl(QWidget* c, QWidget* window) {
    for (QWidget* p = c->parentWidget(); p != window; p = p->parentWidget())
        if (qobject_cast<QAbstractScrollArea*>(p) || qobject_cast<QAbstractSpinBox*>(p) || qobject_cast<QComboBox*>(p))
            return false; // a part of a compound control
    return qobject_cast<QLabel*>(c) || qobject_cast<QAbstractButton*>(c) || qobject_cast<QLineEdit*>(c) ||
           qobject_cast<QComboBox*>(c) || qobject_cast<QAbstractSlider*>(c) || qobject_cast<QAbstractScrollArea*>(c) ||
           qobject_cast<QProgressBar*>(c) || qobject_cast<QAbstractSpinBox*>(c) || qobject_cast<QGroupBox*>(c);
}

QStringList faultsOf(QWidget* window) {
    QStringList faults;
    QList<QPair<QWidget*, QRect>> shown;
    for (QWidget* c : window->findChildren<QWidget*>()) {
        if (!c->isVisibleTo(window) || !isControl(c, window))
            continue;
        const QString name = c->objectName().isEmpty() ? shownText(c) : c->objectName();
        const QRect r(c->mapTo(window, QPoint(0, 0)), c->size());
        if (!window->rect().contains(r))
            faults << name + " lies outside the window";
        const QString text = shownText(c);
        if (!text.isEmpty()) {
            const QSize need =
                c->fontMetrics().boundingRect(QRect(0, 0, 4000, 4000), Qt::TextShowMnemonic, text).size();
            const QSize room = textRoom(c);
            const auto* label = qobject_cast<QLabel*>(c);
            const bool wraps = label && label->wordWrap();
            if ((!wraps && need.width() > room.width()) || need.height() > room.height() ||
                (wraps && label->heightForWidth(label->width()) > label->height()))
                faults << QString("%1 cut: \"%2\" needs %3x%4, has %5x%6")
                              .arg(name, text)
                              .arg(need.width())
                              .arg(need.height())
                              .arg(room.width())
                              .arg(room.height());
        }
        for (const auto& [other, otherRect] : std::as_const(shown))
            if (r.intersects(otherRect) && !c->isAncestorOf(other) && !other->isAncestorOf(c))
                faults << name + " overlaps " +
                              (other->objectName().isEmpty() ? shownText(other) : other->objectName());
        shown.append({c, r});
    }
    return faults;
}

// Value fields left empty with no word why: framed labels and text boxes (a box with a prompt is one to type into),
// and options of which none is selected.
QStringList emptyFieldsOf(QWidget* window) {
    static const QRegularExpression why("not on this monitor|not reported|not read yet|boot mode",
                                        QRegularExpression::CaseInsensitiveOption);
    QStringList empty;
    QHash<QWidget*, int> selected; // per parent of shown options
    for (QRadioButton* o : window->findChildren<QRadioButton*>())
        if (o->isVisibleTo(window))
            selected[o->parentWidget()] += o->isChecked() ? 1 : 0;
    bool saysWhy = false;
    for (QLabel* l : window->findChildren<QLabel*>())
        saysWhy = saysWhy || (l->isVisibleTo(window) && l->text().contains(why));
    for (auto it = selected.cbegin(); it != selected.cend(); ++it)
        if (it.value() == 0 && !saysWhy)
            empty << it.key()->objectName() + " options";
    for (QWidget* c : window->findChildren<QWidget*>()) {
        if (!c->isVisibleTo(window) || !isControl(c, window))
            continue;
        const auto* label = qobject_cast<QLabel*>(c);
        const auto* box = qobject_cast<QLineEdit*>(c);
        if (label && label->frameShape() != QFrame::NoFrame && label->text().trimmed().isEmpty() &&
            label->pixmap().isNull())
            empty << label->objectName();
        if (box && box->text().trimmed().isEmpty() && !box->placeholderText().contains(why) &&
            box->placeholderText().isEmpty() && !(box->isReadOnly() && !box->isEnabled()))
            empty << box->objectName();
    }
    return empty;
}

// What is wrong with a window whose every choice is off (in boot mode, say): it says nothing of why, or it still
// asks the user to choose. Empty when nothing is.
QString offFault(QWidget* window) {
    static const QRegularExpression why("boot block|boot mode|not on this monitor",
                                        QRegularExpression::CaseInsensitiveOption);
    bool choices = false;
    bool said = false;
    bool asks = false;
    for (QWidget* c : window->findChildren<QWidget*>()) {
        if (!c->isVisibleTo(window))
            continue;
        const auto* edit = qobject_cast<QLineEdit*>(c);
        const auto* label = qobject_cast<QLabel*>(c);
        said = said || (label && label->text().contains(why)) || (edit && edit->placeholderText().contains(why));
        asks = asks || (label && label->text().contains(QLatin1String("until you choose")));
        const bool choice = qobject_cast<QRadioButton*>(c) || qobject_cast<QCheckBox*>(c) ||
                            qobject_cast<QAbstractSlider*>(c) || (edit && !edit->isReadOnly());
        if (choice && c->isEnabled())
            return QString();
        choices = choices || choice;
    }
    if (!choices)
        return QString();
    return !said ? QStringLiteral("everything off with no word why")
           : asks ? QStringLiteral("everything off, yet it asks for a choice")
                  : QString();
}

// Bands left empty between a window's contents (more than three lines high); the buttons that end it may sit at
// its foot.
QStringList emptyBandsOf(QWidget* window) {
    QList<QPair<int, int>> spans;
    int contentsEnd = 0;
    for (QWidget* c : window->findChildren<QWidget*>())
        if (c->isVisibleTo(window) && isControl(c, window)) {
            const int top = c->mapTo(window, QPoint(0, 0)).y();
            spans.append({top, top + c->height()});
            if (!qobject_cast<QPushButton*>(c))
                contentsEnd = std::max(contentsEnd, top + c->height());
        }
    std::sort(spans.begin(), spans.end());
    QStringList bands;
    int reached = spans.isEmpty() ? 0 : spans.first().first;
    for (const auto& [top, bottom] : std::as_const(spans)) {
        if (top < contentsEnd && top - reached > 3 * window->fontMetrics().height())
            bands << QString("%1 px from %2").arg(top - reached).arg(reached);
        reached = std::max(reached, bottom);
    }
    return bands;
}

// A window larger than its contents need by more than three lines: only a log, a list or a plot uses the room.
QString roomLeftOver(ChildWindowFrame* frame) {
    for (QAbstractScrollArea* area : frame->widget()->findChildren<QAbstractScrollArea*>())
        if (area->isVisibleTo(frame))
            return QString();
    const QSize needed = frame->neededSize(), spare = frame->size() - needed;
    if (std::max(spare.width(), spare.height()) <= 3 * frame->fontMetrics().height())
        return QString();
    return QString("opens at %1x%2 for contents of %3x%4")
        .arg(frame->width())
        .arg(frame->height())
        .arg(needed.width())
        .arg(needed.height());
}

// The main window as the user sees it with each window open, when ORVEXMON_SCREENSHOTS names a folder (under Xvfb
// with QT_QPA_PLATFORM=xcb for the real look; QT_FONT_DPI=144 for a screen of 144 dots per inch).
void screenshot(QWidget* main, const QString& window) {
    const QString folder = qEnvironmentVariable("ORVEXMON_SCREENSHOTS");
    if (!folder.isEmpty())
        main->grab().save(
            QString("%1/%2-%3.png").arg(folder, QString(QTest::currentDataTag()).replace(' ', '-'), window));
}

} // namespace

class WindowFitTest : public QObject {
    Q_OBJECT

    QFont m_defaultFont;

private slots:
    void initTestCase() { m_defaultFont = QApplication::font(); }
    void cleanup() { QApplication::setFont(m_defaultFont); }

    void everyWindowFitsItsContents_data() {
        QTest::addColumn<QString>("family");
        QTest::addColumn<double>("fontScale");
        QTest::addColumn<double>("pointSize");
        for (const char* family : {"1.38", "2.10", "3.15", "4.05", "boot"}) {
            QTest::addRow("%s default font", family) << family << 1.0 << 0.0;
            QTest::addRow("%s 12 pt", family) << family << 1.0 << 12.0;
            QTest::addRow("%s 144 dpi", family) << family << 1.5 << 0.0;
        }
    }
    void everyWindowFitsItsContents() {
        QFETCH(QString, family);
        QFETCH(double, fontScale);
        QFETCH(double, pointSize);
        QFont font = m_defaultFont;
        font.setPointSizeF(pointSize > 0 ? pointSize : font.pointSizeF() * fontScale);
        QApplication::setFont(font);

        // The tool on the fake port, answered at once by the simulated monitor of the family.
        ToolHarness h(ToolHarness::Port::Fake, "[StartUp]\nRunType=1\nInitialMode=FactoryMode\n");
        h.start();
        const bool boot = family == "boot";
        sim::SimMonitor monitor(sim::SimProfile::byName(boot ? QString("2.10") : family), boot);
        QObject::connect(h.ctx().queue(), &TransmitQueue::lineWritten, [&](const QByteArray& line) {
            for (const sim::Exchange& e : monitor.feed(line))
                if (!e.answer.isEmpty())
                    h.fakePort->receive(e.answer + "\r\n");
        });
        FrmMain* main = h.app().mainWindow();
        const auto settle = [&] {
            for (int ms = 0; ms < 20000 && !h.linkIdle(); ms += 100)
                h.fakeClock.advance(100);
        };
        for (int ms = 0; ms < 10000 && main->connectionState() == ConnectionState::NoMonitor; ms += 100)
            h.fakeClock.advance(100);
        settle();
        QCOMPARE(main->connectionState(), boot ? ConnectionState::BootMode : ConnectionState::Online);
        // The status bar says where the user is.
        const auto status = [main](const char* field) { return main->findChild<QLabel*>(field)->text(); };
        QCOMPARE(status("lblStatusConnection"), (boot ? "Boot mode on " : "Online on ") + h.fakePort->deviceName());
        if (!boot)
            QVERIFY(status("lblStatusMonitor").contains("Firmware V " + family));

        QStringList faults;
        QList<QAction*> openers;
        QMdiArea* area = h.ctx().windows->area();
        for (QMdiSubWindow* shown : area->subWindowList())
            shown->hide();
        for (const MainMenus::Entry& e : MainMenus::tree()) {
            const QString item = QString::fromLatin1(e.name);
            QAction* action = main->menuAction(item);
            if (!e.parent || opensNoWindow(item) || !action->isEnabled() ||
                !main->menuAction(QString::fromLatin1(e.parent))->isEnabled())
                continue;
            action->trigger();
            settle();
            QPointer<QMdiSubWindow> frame = area->activeSubWindow();
            if (!frame || !frame->isVisible())
                continue; // an item the state offers without a window to show (no monitor answer yet)
            openers << action;
            QApplication::processEvents();
            screenshot(main, frame->widget()->objectName());
            const QString where = item + " (" + frame->widget()->objectName() + "): ";
            if (!QRect(QPoint(0, 0), area->viewport()->size()).contains(frame->geometry()))
                faults << where + "not whole in the area";
            for (const QString& f : faultsOf(frame->widget()))
                faults << where + f;
            for (const QString& f : emptyFieldsOf(frame->widget()))
                faults << where + f + " empty with no word why";
            if (const QString f = offFault(frame->widget()); !f.isEmpty())
                faults << where + f;
            for (const QString& f : emptyBandsOf(frame->widget()))
                faults << where + "an empty band of " + f;
            if (const QString f = roomLeftOver(static_cast<ChildWindowFrame*>(frame.data())); !f.isEmpty())
                faults << where + f;
            // A number not asked for yet says so; "not reported" is for one the monitor was asked for.
            if (auto* box = frame->widget()->findChild<QLineEdit*>("txtCPUSerial"); box && box->isVisibleTo(frame))
                if (box->text().isEmpty() && box->placeholderText() != "not read yet")
                    faults << where + "txtCPUSerial says \"" + box->placeholderText() + "\" before it was read";
            // The window names what its menu item names.
            const QString name = withoutMnemonic(action->text()).remove(" ...");
            if (!frame->windowTitle().contains(QRegularExpression("\\b" + QRegularExpression::escape(name) + "\\b")))
                faults << where + "titled \"" + frame->windowTitle() + "\", not \"" + name + "\"";
            // It opens with a control to type into, and closes by Esc or Ctrl+F4 as by its own button.
            QWidget* focused = frame->widget()->focusWidget();
            if (!focused || !focused->isVisibleTo(frame))
                faults << where + "nothing focused";
            const bool esc = openers.size() % 2;
            QTest::keyClick(focused ? focused : frame->widget(), esc ? Qt::Key_Escape : Qt::Key_F4,
                            esc ? Qt::NoModifier : Qt::ControlModifier);
            if (frame && frame->isVisible())
                faults << where + (esc ? "Esc" : "Ctrl+F4") + " left it open";
        }
        QVERIFY(openers.size() >= (boot ? 5 : 20));
        // Opened again, cascaded, every window keeps at least what its contents need.
        QList<QMdiSubWindow*> shownFrames;
        for (QAction* action : std::as_const(openers)) {
            action->trigger();
            if (!shownFrames.contains(area->activeSubWindow()))
                shownFrames << area->activeSubWindow();
        }
        settle();
        main->menuAction("mnuWindowCascade")->trigger();
        for (QMdiSubWindow* frame : std::as_const(shownFrames)) {
            const QSize needed =
                static_cast<ChildWindowFrame*>(frame)->neededSize().boundedTo(area->viewport()->size());
            if (frame->width() < needed.width() || frame->height() < needed.height())
                faults << frame->widget()->objectName() + ": cascaded smaller than its contents";
        }
        // Tiled, the windows share the area; one smaller than its contents scrolls to the control the focus
        // reaches and by the wheel over its empty parts; Ctrl+Tab moves to the next window.
        for (const char* tiling : {"mnuWindowTileHorizontal", "mnuWindowTileVertical"}) {
            main->menuAction(tiling)->trigger();
            settle();
            QApplication::processEvents();
            screenshot(main, tiling);
            for (int i = 0; i < shownFrames.size(); ++i) {
                const QRect r = shownFrames[i]->geometry();
                if (!QRect(QPoint(0, 0), area->viewport()->size()).contains(r))
                    faults << QString(tiling) + ": " + shownFrames[i]->objectName() + " leaves the area";
                for (int j = 0; j < i; ++j)
                    if (r.intersects(shownFrames[j]->geometry()))
                        faults << QString(tiling) + ": " + shownFrames[i]->objectName() + " overlaps " +
                                      shownFrames[j]->objectName();
            }
        }
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));
        for (QMdiSubWindow* frame : std::as_const(shownFrames)) {
            area->setActiveSubWindow(frame);
            QApplication::processEvents(); // what the window does on activation changes what it needs
            QScrollBar* bar = nullptr;
            for (QScrollBar* b : frame->findChildren<QScrollBar*>(QString(), Qt::FindDirectChildrenOnly))
                if (b->orientation() == Qt::Vertical && b->isVisible())
                    bar = b;
            if (!bar)
                continue;
            QWidget* const first = frame->widget()->focusWidget();
            QWidget* last = first;
            for (QWidget* w = first->nextInFocusChain(); w != first; w = w->nextInFocusChain())
                if (frame->widget()->isAncestorOf(w) && w->isVisibleTo(frame) && w->isEnabled() &&
                    (w->focusPolicy() & Qt::TabFocus))
                    last = w;
            last->setFocus(Qt::TabFocusReason);
            if (!frame->contentsRect().intersects(QRect(last->mapTo(frame, QPoint(0, 0)), last->size())))
                faults << frame->objectName() + ": " + last->objectName() + " focused out of view";
            const int scrolled = bar->value();
            QWheelEvent wheel(QPointF(1, 1), frame->widget()->mapToGlobal(QPointF(1, 1)), QPoint(),
                              QPoint(0, scrolled > 0 ? 120 : -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                              false);
            QApplication::sendEvent(frame, &wheel); // where the window's empty parts pass it
            if (bar->value() == scrolled)
                faults << frame->objectName() + ": the wheel does not scroll it";
            QTest::keyClick(last, Qt::Key_Tab, Qt::ControlModifier);
            if (area->activeSubWindow() == frame)
                faults << frame->objectName() + ": Ctrl+Tab stays";
            break;
        }
        // Access keys, menu by menu.
        for (QMenu* menu : main->findChildren<QMenu*>()) {
            QStringList keys;
            for (QAction* a : menu->actions()) {
                const QRegularExpressionMatch m = QRegularExpression("&([^&])").match(a->text());
                if (!a->isSeparator() && !m.hasMatch())
                    faults << menu->objectName() + ": " + a->text() + " has no access key";
                if (m.hasMatch() && keys.contains(m.captured(1).toUpper()))
                    faults << menu->objectName() + ": access key of " + a->text() + " taken";
                keys << m.captured(1).toUpper();
            }
        }
        for (const QString& f : std::as_const(faults))
            qWarning("%s", qPrintable(f));
        QVERIFY2(faults.isEmpty(), qPrintable(QString::number(faults.size()) + " faults"));
    }
};

QTEST_MAIN(WindowFitTest)
#include "tst_windowfit.moc"
