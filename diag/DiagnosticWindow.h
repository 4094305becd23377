#pragma once
// The base of the diagnostics windows. Its value controls show the model's diagnostic readings named by the
// captions beside them, when the window opens and when their part changes; and it carries the polling that the
// test-point, HV-limit and deflection-status windows share: their reads are queued when the window becomes active and
// again on each tick of its timer tmrTest, which runs only while the window is active and shown. Polls are asked only
// while the monitor answers, and a read still waiting in the transmit queue (or on the wire for its answer) is not
// queued a second time, so a window left open for hours keeps one copy of each read at most, however long the monitor
// takes to answer.
//
// Nothing is asked of a monitor in its boot block (it refuses these requests) nor while a firmware download
// runs (the line belongs to the download): the window sends nothing then and says why in words.
#include "ui/ChildWindow.h"
#include "ui/ShownReadings.h"

#include <QStringList>
#include <functional>

class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class ReadingPlot;
class Timer;

class DiagnosticWindow : public ChildWindow, public DiagnosticView {
    Q_OBJECT
public:
    DiagnosticWindow(AppContext& ctx, const QString& objectName, const QString& caption, QWidget* parent = nullptr);

    void onActivated() override;
    void onDeactivated() override;

    void showDiagnostics(DiagnosticParts changed) override;
    // The text of the named label or text box; empty for an unknown name.
    QString controlText(const QString& control) const;

    Timer* tmrTest() const { return m_timer; }
    // The plot beside the numbers; null until "Plot" is first pressed.
    ReadingPlot* plot() const { return m_plot; }

protected:
    struct Polling {
        QStringList onActivation; // catalogue commands, in order
        QStringList onTick;
        int intervalMs = 0; // 0: the window does not poll
        bool tickOnlyWhenQueueEmpty = false;
    };
    void setPolling(const Polling& polling) { m_polling = polling; }
    // The window's readings come from the test-point answer: a reading the monitor's decoder does not give says
    // "not on this monitor" rather than stay empty.
    void setMarksReadingsNotOnMonitor() { m_marksAbsent = true; }
    // Queues a request of this window, unless the monitor cannot be asked now (see above).
    void ask(const QString& command);
    // Whether the monitor can be asked now; shows or hides the notice that says why not.
    bool mayAsk();
    // Queues each command that is not waiting in the transmit queue already, nor awaiting its answer.
    void queueReads(const QStringList& commands);
    bool monitorResponding() const;
    int firmwareClass() const;

    void hideEvent(QHideEvent* event) override;

    // Builders. Every control gets its documented name.
    QGridLayout* grid() const { return m_grid; }
    QLabel* addCaption(int row, int column, const QString& text, const QString& name = QString());
    QLabel* addValue(int row, int column, const QString& name);
    // A value label that shows the reading named by its caption label (or by one of alsoShows).
    void showsReading(QWidget* value, QLabel* caption, DiagnosticPart part = DiagnosticPart::TestPoints,
                      const QStringList& alsoShows = {});
    // A caption with its value label beside it, showing the reading of that caption.
    QLabel* addValueRow(int row, int column, const QString& caption, const QString& name,
                        const QStringList& alsoShows = {});
    QLineEdit* addBox(int row, int column, const QString& name, bool readOnly);
    QPushButton* addButton(int row, int column, const QString& name, const QString& caption);
    // The horizontal and vertical frequency rows with their units and fail labels.
    void addFrequencyRows(int row, int column);
    // A limit box that shows the reading of a caption, and that the user types into and sends with its "Set"
    // button; the answers leave it alone while it holds typing not sent yet.
    QLineEdit* addLimitRow(int row, int column, const QString& caption, const QString& reading, const QString& boxName,
                           const QString& buttonName, const std::function<QString(const QString&)>& request);
    // The HV upper limit, HV value and lower limit rows with their "Set" buttons.
    void addHvLimitRows(int row, int column);
    // "Set" of the anode current limit: only for classes 217 to 299 with a monitor answering.
    QLineEdit* addAnodeLimitRow(int row, int column, const QString& caption, const QString& buttonName);
    // A supply block: its title, its column heading and two columns of nominal captions with lblVoltage values.
    void addSupplyBlock(int row, int column, const QString& title, const QString& heading, const QStringList& nominals);
    // The reread button queues the activation reads. The test-point windows' "Reread Values" does so only
    // while the monitor answers and is usable only while its window is active; "ReRead" always.
    enum class Reread { WhileActiveAndResponding, Always };
    QPushButton* addRereadButton(int row, int column, const QString& name, const QString& caption, Reread kind);
    // "Close" (TPCloseButton) hides the window.
    // "Plot" shows or hides the plot of the window's readings, beside the numbers.
    QPushButton* addPlotButton(int row, int column);
    QPushButton* addCloseButton(int row, int column, const QString& name = QStringLiteral("TPCloseButton"),
                                const QString& caption = QStringLiteral("Close"));

private:
    void tick();
    // Readings and the anode current limit that the monitor's class does not have say so; the limit's "Set" is off.
    void markAbsentReadings();
    // Why the monitor cannot be asked now; empty when it can.
    QString whyNotAsked() const;
    void showNotice();

    Polling m_polling;
    Timer* m_timer;
    QGridLayout* m_grid;
    QHBoxLayout* m_beside;
    ReadingPlot* m_plot = nullptr;
    QLabel* m_notice;
    QPushButton* m_reread = nullptr;
    ShownReadings m_shown;
    bool m_marksAbsent = false;
    QList<QLabel*> m_values;
    QLineEdit* m_anodeLimit = nullptr;
    QPushButton* m_anodeLimitSet = nullptr;
};
