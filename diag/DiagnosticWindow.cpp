#include "diag/DiagnosticWindow.h"

#include "diag/ReadingPlot.h"
#include "download/DownloadEngine.h"
#include "link/TransmitQueue.h"
#include "model/MonitorModel.h"
#include "platform/Clock.h"
#include "protocol/Catalogue.h"
#include "protocol/FirmwareClass.h"
#include "protocol/TestPointDecoders.h"
#include "ui/AppContext.h"
#include "ui/TypedValueBox.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// The longest word an empty box of these windows says ("in boot mode", "Read fills it").
const QString longestWord = QStringLiteral("not on this monitor");

// The width at which a box shows a text whole at its font: the text, the box's margins and its frame.
int widthShowing(const QLineEdit* box, const QString& text) {
    const QMargins margins = box->textMargins();
    const int frame = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box);
    const QFontMetrics metrics = box->fontMetrics();
    const int drawn =
        std::max(metrics.horizontalAdvance(text), metrics.boundingRect(QRect(), Qt::TextSingleLine, text).width());
    return drawn + margins.left() + margins.right() + 2 * frame + 4;
}
} // namespace

DiagnosticWindow::DiagnosticWindow(AppContext& ctx, const QString& objectName, const QString& caption, QWidget* parent)
    : ChildWindow(ctx, objectName, caption, parent), m_timer(ctx.clock->createTimer(this)), m_grid(new QGridLayout),
      m_beside(new QHBoxLayout(this)), m_notice(new QLabel(this)) {
    m_notice->setObjectName(QStringLiteral("lblNotice"));
    m_notice->setWordWrap(true);
    m_notice->setStyleSheet(QStringLiteral("font-weight: bold;"));
    m_notice->hide();
    m_notice->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    auto* layout = new QVBoxLayout;
    layout->addWidget(m_notice);
    layout->addLayout(m_grid, 1);
    m_beside->addLayout(layout);
    m_timer->setObjectName(QStringLiteral("tmrTest"));
    if (DownloadEngine* download = ctx.download) {
        connect(download, &DownloadEngine::progressShown, this, &DiagnosticWindow::showNotice);
        connect(download, &DownloadEngine::finished, this, &DiagnosticWindow::showNotice);
    }
    connect(m_timer, &Timer::timeout, this, &DiagnosticWindow::tick);
}

bool DiagnosticWindow::monitorResponding() const {
    return m_ctx.model && m_ctx.model->monitorResponding;
}

int DiagnosticWindow::firmwareClass() const {
    return m_ctx.model ? m_ctx.model->firmwareClass : 0;
}

QString DiagnosticWindow::whyNotAsked() const {
    if (m_ctx.download && m_ctx.download->inProgress())
        return QStringLiteral("A firmware download is running: nothing is asked of the monitor until it has ended.");
    if (m_ctx.model && m_ctx.model->bootMode)
        return QStringLiteral("The monitor is in its boot block and cannot report these values. Nothing is asked "
                              "until its firmware runs (Monitor > Run from BOOT MODE).");
    return QString();
}

void DiagnosticWindow::showNotice() {
    const QString why = whyNotAsked();
    m_notice->setText(why);
    m_notice->setVisible(!why.isEmpty());
}

bool DiagnosticWindow::mayAsk() {
    showNotice();
    return m_notice->isHidden();
}

void DiagnosticWindow::ask(const QString& command) {
    if (mayAsk())
        m_ctx.send(command);
}

void DiagnosticWindow::queueReads(const QStringList& commands) {
    if (!mayAsk())
        return;
    const TransmitQueue* queue = m_ctx.queue();
    for (const QString& command : commands)
        if (!queue->holdsRequest(command))
            m_ctx.send(command);
}

void DiagnosticWindow::onActivated() {
    m_shown.show(m_ctx.model->diagnostics, DiagnosticCaptions::all);
    markAbsentReadings();
    // The words are longer than a reading: the window grows to show them.
    fitFrame();
    if (m_reread)
        m_reread->setEnabled(true);
    if (m_polling.intervalMs <= 0)
        return;
    if (monitorResponding())
        queueReads(m_polling.onActivation);
    m_timer->start(m_polling.intervalMs);
}

void DiagnosticWindow::onDeactivated() {
    m_timer->stop();
    if (m_reread)
        m_reread->setEnabled(false);
}

void DiagnosticWindow::hideEvent(QHideEvent* event) {
    m_timer->stop();
    ChildWindow::hideEvent(event);
}

void DiagnosticWindow::tick() {
    if (!monitorResponding() || !mayAsk())
        return;
    if (m_polling.tickOnlyWhenQueueEmpty && !m_ctx.queue()->transmitQueue().isEmpty())
        return;
    queueReads(m_polling.onTick);
}

void DiagnosticWindow::showDiagnostics(DiagnosticParts changed) {
    m_shown.show(m_ctx.model->diagnostics, changed);
    markAbsentReadings();
}

QString DiagnosticWindow::controlText(const QString& control) const {
    QWidget* w = findChild<QWidget*>(control);
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* box = qobject_cast<QLineEdit*>(w))
        return box->text();
    return QString();
}

QLabel* DiagnosticWindow::addCaption(int row, int column, const QString& text, const QString& name) {
    auto* label = new QLabel(text, this);
    if (!name.isEmpty())
        label->setObjectName(name);
    m_grid->addWidget(label, row, column);
    return label;
}

QLabel* DiagnosticWindow::addValue(int row, int column, const QString& name) {
    auto* label = new QLabel(this);
    label->setObjectName(name);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    // Readings arrive after the window has been fitted: leave room for a wide one at the window's font.
    label->setText(QStringLiteral("-00.00 V"));
    label->setMinimumWidth(std::max(70, label->sizeHint().width()));
    label->clear();
    m_grid->addWidget(label, row, column);
    m_values << label;
    return label;
}

void DiagnosticWindow::showsReading(QWidget* value, QLabel* caption, DiagnosticPart part,
                                    const QStringList& alsoShows) {
    m_shown.bind(value, caption, part, alsoShows);
}

QLabel* DiagnosticWindow::addValueRow(int row, int column, const QString& caption, const QString& name,
                                      const QStringList& alsoShows) {
    QLabel* label = addCaption(row, column, caption);
    QLabel* value = addValue(row, column + 1, name);
    showsReading(value, label, DiagnosticPart::TestPoints, alsoShows);
    return value;
}

QLineEdit* DiagnosticWindow::addBox(int row, int column, const QString& name, bool readOnly) {
    auto* box = new QLineEdit(this);
    box->setObjectName(name);
    box->setReadOnly(readOnly);
    box->setFixedWidth(std::max(80, widthShowing(box, longestWord)));
    m_grid->addWidget(box, row, column);
    return box;
}

QPushButton* DiagnosticWindow::addButton(int row, int column, const QString& name, const QString& caption) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    m_grid->addWidget(button, row, column);
    return button;
}

void DiagnosticWindow::addFrequencyRows(int row, int column) {
    const auto sync = DiagnosticPart::SyncFrequencies;
    const auto status = DiagnosticPart::DeflectionStatus;
    showsReading(addBox(row, column + 1, QStringLiteral("HFreqTextBox"), true),
                 addCaption(row, column, QStringLiteral("Horizontal Frequency:")), sync);
    addCaption(row, column + 2, QStringLiteral("kHz"));
    m_shown.bind(addCaption(row, column + 3, QString(), QStringLiteral("HFailValue")),
                 {DiagnosticCaptions::horizontalDeflection()}, status);
    showsReading(addValue(row + 1, column + 1, QStringLiteral("VertFreqBox")),
                 addCaption(row + 1, column, QStringLiteral("Vertical Frequency:")), sync);
    addCaption(row + 1, column + 2, QStringLiteral("Hz"));
    m_shown.bind(addCaption(row + 1, column + 3, QString(), QStringLiteral("VFailValue")),
                 {DiagnosticCaptions::verticalDeflection()}, status);
}

QLineEdit* DiagnosticWindow::addLimitRow(int row, int column, const QString& caption, const QString& reading,
                                         const QString& boxName, const QString& buttonName,
                                         const std::function<QString(const QString&)>& request) {
    addCaption(row, column, caption);
    QLineEdit* box = addBox(row, column + 1, boxName, false);
    m_shown.bind(box, {reading}, DiagnosticPart::HvLimits);
    QPushButton* set = addButton(row, column + 2, buttonName, QStringLiteral("Set"));
    connect(set, &QPushButton::clicked, this, [this, box, request] {
        // In the boot block or during a download nothing is asked: the box shows the monitor's value again.
        TypedValueBox::send(m_ctx, this, box, mayAsk() ? request(box->text()) : QString());
    });
    return box;
}

void DiagnosticWindow::addHvLimitRows(int row, int column) {
    addLimitRow(row, column, QStringLiteral("HV Upper Limit:"), DiagnosticCaptions::hvUpperLimit(),
                QStringLiteral("HVUpperLimitTextBox"), QStringLiteral("HVUpperLimitSetButton"),
                &Catalogue::setHvUpperLimit);
    showsReading(addBox(row + 1, column + 1, QStringLiteral("HVValTextBox"), true),
                 addCaption(row + 1, column, QStringLiteral("HV Val:")));
    addLimitRow(row + 2, column, QStringLiteral("HV Lower Limit:"), DiagnosticCaptions::hvLowerLimit(),
                QStringLiteral("HVLowerLimitTextBox"), QStringLiteral("HVLowerLimitSetButton"),
                &Catalogue::setHvLowerLimit);
}

QLineEdit* DiagnosticWindow::addAnodeLimitRow(int row, int column, const QString& caption, const QString& buttonName) {
    m_anodeLimit = addLimitRow(row, column, caption, DiagnosticCaptions::anodeCurrentLimit(),
                               QStringLiteral("txtIAnodeLimit"), buttonName, [this](const QString& typed) {
                                   return FirmwareClass::setsAnodeCurrentLimit(firmwareClass()) && monitorResponding()
                                              ? Catalogue::setAnodeCurrentLimit(typed)
                                              : QString();
                               });
    m_anodeLimitSet = findChild<QPushButton*>(buttonName);
    return m_anodeLimit;
}

void DiagnosticWindow::markAbsentReadings() {
    const QString absent = QStringLiteral("not on this monitor");
    if (m_marksAbsent) {
        const QStringList given = TestPoints::captions(TestPoints::decoderOf(firmwareClass()));
        for (QLabel* value : std::as_const(m_values)) {
            const QStringList captions = m_shown.captionsOf(value);
            const bool onMonitor =
                std::any_of(captions.begin(), captions.end(), [&given](const QString& c) { return given.contains(c); });
            if (!onMonitor && value->text().isEmpty())
                value->setText(absent);
            else if (onMonitor && value->text() == absent)
                value->clear();
        }
    }
    if (m_anodeLimit) {
        const bool has = FirmwareClass::setsAnodeCurrentLimit(firmwareClass());
        m_anodeLimit->setPlaceholderText(has ? QString() : absent);
        m_anodeLimit->setReadOnly(!has);
        if (m_anodeLimitSet)
            m_anodeLimitSet->setEnabled(has);
    }
    // A monitor in its boot block is asked nothing: an empty reading says why.
    const QString boot = QStringLiteral("in boot mode");
    for (QLabel* value : std::as_const(m_values)) {
        if (m_ctx.model->bootMode && value->text().isEmpty())
            value->setText(boot);
        else if (!m_ctx.model->bootMode && value->text() == boot)
            value->clear();
    }
}

void DiagnosticWindow::addSupplyBlock(int row, int column, const QString& title, const QString& heading,
                                      const QStringList& nominals) {
    addCaption(row, column, title);
    // One heading word over each column, so that each stands over its values whatever the font.
    const QStringList words = heading.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (int k = 0; k < words.size(); ++k)
        addCaption(row + 1, column + k, words.at(k));
    const int perColumn = int(nominals.size() + 1) / 2;
    for (int k = 0; k < nominals.size(); ++k) {
        const int r = row + 2 + k % perColumn;
        const int c = column + (k / perColumn) * 2;
        // The value shows the supply its nominal caption names, also after the family set-up renames it.
        showsReading(addValue(r, c + 1, QStringLiteral("lblVoltage(%1)").arg(k)),
                     addCaption(r, c, nominals.at(k), QStringLiteral("lblNominal(%1)").arg(k)));
    }
}

QPushButton* DiagnosticWindow::addRereadButton(int row, int column, const QString& name, const QString& caption,
                                               Reread kind) {
    QPushButton* reread = addButton(row, column, name, caption);
    const bool guarded = kind == Reread::WhileActiveAndResponding;
    if (guarded)
        m_reread = reread;
    connect(reread, &QPushButton::clicked, this, [this, guarded] {
        if (!guarded || monitorResponding())
            queueReads(m_polling.onActivation);
    });
    return reread;
}

QPushButton* DiagnosticWindow::addPlotButton(int row, int column) {
    QPushButton* button = addButton(row, column, QStringLiteral("btnPlot"), QStringLiteral("Plot"));
    button->setCheckable(true);
    connect(button, &QPushButton::toggled, this, [this](bool shown) {
        if (!m_plot) {
            m_plot = new ReadingPlot(
                m_ctx, [this] { return m_shown.captions(); }, this);
            m_beside->addWidget(m_plot, 1);
        }
        m_plot->setVisible(shown);
        if (shown)
            fitFrame();
    });
    return button;
}

QPushButton* DiagnosticWindow::addCloseButton(int row, int column, const QString& name, const QString& caption) {
    QPushButton* close = addButton(row, column, name, caption);
    connect(close, &QPushButton::clicked, this, &ChildWindow::hideWindow);
    return close;
}
