#include "link/windows/FrmCommLog.h"

#include "link/FileLog.h"
#include "link/Link.h"
#include "link/TransmitQueue.h"
#include "model/MonitorModel.h"
#include "platform/Dialogs.h"
#include "platform/Settings.h"
#include "protocol/Catalogue.h"
#include "protocol/TextHelpers.h"
#include "ui/AppContext.h"
#include "ui/WindowPlacement.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTimer>

namespace {
const QString kConfigs = QStringLiteral("Configs");
// The view of the traffic, in "Configs": "CommLogView" is "0" plain (also for anything unknown), "1" control
// characters visible, "2" hex; "CommLogTimestamps" is "1" for a time in front of each line.
const QString kViewKey = QStringLiteral("CommLogView");
const QString kTimestampsKey = QStringLiteral("CommLogTimestamps");
// The view choices in the order of the "CommLogView" values.
const QList<LogView::Bytes> kViews = {LogView::Bytes::Plain, LogView::Bytes::ControlChars, LogView::Bytes::Hex};

int viewIndexOf(const QString& setting) {
    for (int i = 0; i < kViews.size(); ++i)
        if (setting == QString::number(i))
            return i;
    return 0;
}

// Designed frame size and the edges the resizing rules keep (twips).
constexpr int kDesignWidth = 6345;
constexpr int kDesignHeight = 7095;
constexpr int kMinWidth = 1800;
constexpr int kMinHeight = 2940;
constexpr int kTextMargin = 120;
constexpr int kTextWidthLoss = 645;
constexpr int kDoneFromRight = 1800;
constexpr int kButtonHeight = 375;
constexpr int kBoxHeight = 255;
// The bottom row (from the bottom edge) and the request line in it, between "ReConnect" and "Done".
constexpr int kBottomRow = 975;
constexpr int kRequestLeft = 1860;
constexpr int kSendWidth = 700;
constexpr int kGap = 60;
constexpr int kMinRequestWidth = 300;
// "Done" clear of the shortest request line and its "Send" button.
constexpr int kNarrowestLayout = kRequestLeft + kMinRequestWidth + kGap + kSendWidth + kGap + kDoneFromRight;
// How long additions gather before they are shown together.
constexpr int kShowDelayMs = 50;

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, const QString& tip = QString()) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    if (!tip.isEmpty())
        b->setToolTip(tip);
    return b;
}

QString autoPingCaption(bool enabled) {
    return enabled ? QStringLiteral("Disable AutoPing") : QStringLiteral("Enable AutoPing");
}

} // namespace

FrmCommLog::FrmCommLog(AppContext& ctx)
    : ChildWindow(ctx, QStringLiteral("frmCommLog"), QStringLiteral("Monitor Communication Log")),
      m_layoutWidth(kDesignWidth), m_layoutHeight(kDesignHeight), m_flushTimer(new QTimer(this)),
      m_fileLog(std::make_unique<FileLog>()) {
    setHideOnClose(true);
    m_flushTimer->setSingleShot(true);
    m_flushTimer->setInterval(kShowDelayMs);
    connect(m_flushTimer, &QTimer::timeout, this, &FrmCommLog::flushPending);

    m_txtCommLog = new QPlainTextEdit(this);
    m_txtCommLog->setObjectName(QStringLiteral("txtCommLog"));
    // Key presses go to the monitor; the text only ever grows from the received side.
    m_txtCommLog->setReadOnly(true);
    m_txtCommLog->setFocusPolicy(Qt::StrongFocus);
    m_txtCommLog->setUndoRedoEnabled(false);
    m_txtCommLog->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_txtCommLog->installEventFilter(this);

    auto* btnVerbose = makeButton(this, "btnVerbose", QStringLiteral("Verbose"));
    auto* btnTerse = makeButton(this, "btnTerse", QStringLiteral("Terse"));
    m_btnCheckOff = makeButton(this, "btnCheckOff", QStringLiteral("Disable Checking"));
    m_btnCheckOn = makeButton(this, "btnCheckOn", QStringLiteral("Enable Checking"));
    m_btnReConnect = makeButton(this, "btnReConnect", QStringLiteral("ReConnect"));
    auto* btnClrXQ = makeButton(this, "btnClrXQ", QStringLiteral("Clear Xmit Queue"));
    m_btnDisableAutoping = makeButton(this, "btnDisableAutoping", autoPingCaption(true));
    auto* btnClear = makeButton(this, "btnClearCommLogWindow", QStringLiteral("Clear Log Window"));
    auto* btnLogFile =
        makeButton(this, "BtnLogFile", QStringLiteral("Log to File ..."), QStringLiteral("Open a Log File"));
    m_btnEndFileLog = makeButton(this, "btnEndFileLog", QStringLiteral("Close Log File"),
                                 QStringLiteral("Stop File Log, Close Log File"));
    m_btnDone = makeButton(this, "btnDone", QStringLiteral("Done"));
    m_btnInd = makeButton(this, "btnInd", QString());
    m_btnInd->setFocusPolicy(Qt::NoFocus);
    m_btnSend = makeButton(this, "btnSend", QStringLiteral("Send"), QStringLiteral("Send the Request Line"));
    m_txtRequest = new QLineEdit(this);
    m_txtRequest->setObjectName(QStringLiteral("txtRequest"));
    m_txtRequest->setPlaceholderText(QStringLiteral("Request to send"));
    m_txtRequest->setToolTip(QStringLiteral("Request to Send (Up/Down: Earlier Requests)"));
    m_txtRequest->installEventFilter(this);
    m_cboLogView = new QComboBox(this);
    m_cboLogView->setObjectName(QStringLiteral("cboLogView"));
    m_cboLogView->addItems({QStringLiteral("Plain Text"), QStringLiteral("Control Chars"), QStringLiteral("Hex")});
    m_cboLogView->setToolTip(QStringLiteral("How Received and Sent Bytes Are Shown"));

    auto box = [this](const char* boxName, const char* labelName, const QString& caption, QLabel** labelOut) {
        auto* ck = new QCheckBox(this);
        ck->setObjectName(QString::fromLatin1(boxName));
        auto* label = new QLabel(caption, this);
        label->setObjectName(QString::fromLatin1(labelName));
        if (labelOut)
            *labelOut = label;
        return ck;
    };
    QLabel* lblXmitQueueOverride = nullptr;
    QLabel* lblWindowLogEnabled = nullptr;
    m_ckXmitQueueOverride =
        box("ckXmitQueueOverride", "lblXmitQueueOverride", QStringLiteral("Xmit Q Bypass"), &lblXmitQueueOverride);
    m_ckWindowEnabled =
        box("ckWindowEnabled", "lblWindowLogEnabled", QStringLiteral("Window Log Enable"), &lblWindowLogEnabled);
    m_ckFileEnabled = box("ckFileEnabled", "lblFilLogEnabled", QStringLiteral("File Log Enabled"), &m_lblFilLogEnabled);
    const QString fileTip = QStringLiteral("Enable/Disable Logging to the Log File");
    m_ckFileEnabled->setToolTip(fileTip);
    m_lblFilLogEnabled->setToolTip(fileTip);
    QLabel* lblTimestamps = nullptr;
    m_ckTimestamps = box("ckTimestamps", "lblTimestamps", QStringLiteral("Timestamps"), &lblTimestamps);

    // Rows from the bottom edge; the checking buttons share one place.
    const int rowA = 2730, rowB = 2295, rowC = 1860, rowD = 1425, rowE = kBottomRow;
    const int boxDrop = (kButtonHeight - kBoxHeight) / 2;
    m_spots = {
        {btnVerbose, 120, rowA, 1300, kButtonHeight},
        {btnTerse, 1500, rowA, 1300, kButtonHeight},
        {m_btnCheckOff, 2820, rowA, 1640, kButtonHeight},
        {m_btnCheckOn, 2820, rowA, 1640, kButtonHeight},
        {btnClear, 4545, rowA, 1640, kButtonHeight},
        {m_ckXmitQueueOverride, 120, rowB - boxDrop, 255, kBoxHeight},
        {lblXmitQueueOverride, 420, rowB - boxDrop, 2400, kBoxHeight},
        {btnClrXQ, 2820, rowB, 1640, kButtonHeight},
        {m_btnDisableAutoping, 4545, rowB, 1640, kButtonHeight},
        {m_ckWindowEnabled, 120, rowC - boxDrop, 255, kBoxHeight},
        {lblWindowLogEnabled, 420, rowC - boxDrop, 2400, kBoxHeight},
        {btnLogFile, 2820, rowC, 1640, kButtonHeight},
        {m_ckFileEnabled, 120, rowD - boxDrop, 255, kBoxHeight},
        {m_lblFilLogEnabled, 420, rowD - boxDrop, 2400, kBoxHeight},
        {m_btnEndFileLog, 2820, rowD, 1640, kButtonHeight},
        {m_ckTimestamps, 4545, rowC - boxDrop, 255, kBoxHeight},
        {lblTimestamps, 4845, rowC - boxDrop, 1340, kBoxHeight},
        {m_cboLogView, 4545, rowD, 1640, kButtonHeight},
        {m_btnInd, 120, 915, 255, 255},
        {m_btnReConnect, 480, rowE, 1300, kButtonHeight},
        {m_btnDone, kDesignWidth - kDoneFromRight, rowE, 1300, kButtonHeight},
    };
    placeControls();

    // Load: the check boxes, the file log closed, the link switches from the settings.
    m_ckWindowEnabled->setChecked(true);
    m_ckFileEnabled->setChecked(false);
    m_btnEndFileLog->setEnabled(false);
    showCheckingButtons(true);
    Link* link = ctx.link;
    connect(link, &Link::autoPingChanged, this,
            [this](bool on) { m_btnDisableAutoping->setText(autoPingCaption(on)); });
    link->setAutoPingEnabled(ctx.settings->readText(kConfigs, QStringLiteral("AutoPingEnabled"), QStringLiteral("1")) ==
                             QLatin1String("1"));
    link->bypassQueue = ctx.settings->readText(kConfigs, QStringLiteral("BypassTransmitQueue"), QStringLiteral("1")) ==
                        QLatin1String("1");
    syncControls();
    const int view = viewIndexOf(ctx.settings->readText(kConfigs, kViewKey, QStringLiteral("0")));
    m_cboLogView->setCurrentIndex(view);
    setViewBytes(view);
    m_ckTimestamps->setChecked(ctx.settings->readText(kConfigs, kTimestampsKey, QStringLiteral("0")) ==
                               QLatin1String("1"));
    m_view.setTimestamps(m_ckTimestamps->isChecked());
    m_history.load(*ctx.settings);

    connect(btnVerbose, &QPushButton::clicked, this, [this] { m_ctx.send(Catalogue::verboseMessages()); });
    connect(btnTerse, &QPushButton::clicked, this, [this] { m_ctx.send(Catalogue::terseMessages()); });
    connect(m_btnCheckOff, &QPushButton::clicked, this, [this] {
        m_ctx.send(Catalogue::setChecking(false));
        showCheckingButtons(false);
    });
    connect(m_btnCheckOn, &QPushButton::clicked, this, [this] {
        m_ctx.send(Catalogue::setChecking(true));
        showCheckingButtons(true);
    });
    connect(m_btnReConnect, &QPushButton::clicked, this, &FrmCommLog::reConnectRequested);
    connect(btnClrXQ, &QPushButton::clicked, this, [this] { m_ctx.queue()->clearQueuedText(); });
    connect(m_ckXmitQueueOverride, &QCheckBox::toggled, this, [this](bool on) { m_ctx.link->bypassQueue = on; });
    connect(m_btnDisableAutoping, &QPushButton::clicked, this, &FrmCommLog::toggleAutoPing);
    connect(btnClear, &QPushButton::clicked, this, &FrmCommLog::clearLog);
    connect(m_ckWindowEnabled, &QCheckBox::toggled, this, [this](bool on) { m_ctx.link->logToWindow = on; });
    connect(m_ckFileEnabled, &QCheckBox::clicked, this, [this] {
        // Without an open file there is nothing to enable: the box keeps showing the flag.
        setFileLogEnabled(fileLogOpen() && !m_fileLogEnabled);
    });
    connect(btnLogFile, &QPushButton::clicked, this, &FrmCommLog::logToFile);
    connect(m_btnEndFileLog, &QPushButton::clicked, this, &FrmCommLog::closeLogFile);
    connect(m_btnDone, &QPushButton::clicked, this, &ChildWindow::hideWindow);
    connect(link, &Link::indicatorChanged, this, &FrmCommLog::setIndicator);
    connect(m_btnSend, &QPushButton::clicked, this, &FrmCommLog::sendRequest);
    connect(m_txtRequest, &QLineEdit::returnPressed, this, &FrmCommLog::sendRequest);
    connect(m_cboLogView, &QComboBox::currentIndexChanged, this, &FrmCommLog::setViewBytes);
    connect(m_ckTimestamps, &QCheckBox::toggled, this, [this](bool on) { m_view.setTimestamps(on); });
    setIndicator(link->indicatorGreen());
}

FrmCommLog::~FrmCommLog() {
    if (m_ctx.link && m_ctx.link->log() == this)
        m_ctx.link->setLog(nullptr);
}

void FrmCommLog::placeControls() {
    m_txtCommLog->setGeometry(px(kTextMargin), px(kTextMargin), px(m_layoutWidth - kTextWidthLoss),
                              px(m_layoutHeight - kMinHeight));
    for (const Spot& s : std::as_const(m_spots)) {
        const int left = s.widget == m_btnDone ? m_layoutWidth - kDoneFromRight : s.left;
        s.widget->setGeometry(px(left), px(m_layoutHeight - s.fromBottom), px(s.width), px(s.height));
    }
    // The request line takes the width between "ReConnect" and the "Send" button in front of "Done".
    const int sendLeft = m_layoutWidth - kDoneFromRight - kGap - kSendWidth;
    const int top = m_layoutHeight - kBottomRow;
    m_btnSend->setGeometry(px(sendLeft), px(top), px(kSendWidth), px(kButtonHeight));
    m_txtRequest->setGeometry(px(kRequestLeft), px(top), px(std::max(kMinRequestWidth, sendLeft - kGap - kRequestLeft)),
                              px(kButtonHeight));
}

void FrmCommLog::resizeEvent(QResizeEvent* event) {
    ChildWindow::resizeEvent(event);
    QWidget* frame = qobject_cast<QMdiSubWindow*>(parentWidget()) ? parentWidget() : this;
    if (frame->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))
        return;
    // The layout's twips measure the whole frame; the window is the frame's inside, or larger while it scrolls.
    const QSize outer = frame->size();
    const int width = layoutTwips(outer.width());
    const int height = layoutTwips(outer.height());
    // Narrower than the bottom row needs, the controls would overlap: the frame scrolls instead.
    if (width > kMinWidth)
        m_layoutWidth = std::max(width, kNarrowestLayout);
    if (height > kMinHeight)
        m_layoutHeight = height;
    placeControls();
}

void FrmCommLog::setIndicator(bool green) {
    m_btnInd->setStyleSheet(green ? QStringLiteral("background-color: rgb(0, 255, 0);")
                                  : QStringLiteral("background-color: rgb(255, 0, 0);"));
    m_btnInd->setProperty("indicatorGreen", green);
}

void FrmCommLog::syncControls() {
    const Link* link = m_ctx.link;
    m_ckWindowEnabled->setChecked(link->logToWindow);
    m_ckXmitQueueOverride->setChecked(link->bypassQueue);
    m_btnDisableAutoping->setText(autoPingCaption(link->autoPingEnabled()));
}

void FrmCommLog::onActivated() {
    syncControls();
}

bool FrmCommLog::logWindowOpen() const {
    // A minimised child window hides its contents but is still open.
    if (const auto* frame = qobject_cast<const QMdiSubWindow*>(parentWidget()))
        return !frame->isHidden() && (!isHidden() || frame->isMinimized());
    return !isHidden();
}

void FrmCommLog::showCheckingButtons(bool checkingOn) {
    m_btnCheckOff->setVisible(checkingOn);
    m_btnCheckOff->setEnabled(checkingOn);
    m_btnCheckOn->setVisible(!checkingOn);
    m_btnCheckOn->setEnabled(!checkingOn);
}

void FrmCommLog::toggleAutoPing() {
    Link* link = m_ctx.link;
    link->setAutoPingEnabled(!link->autoPingEnabled());
}

// The log text.

void FrmCommLog::append(const QString& text) {
    if (text.isEmpty())
        return;
    m_pending += text;
    m_logLength += LogView::countedLength(text);
    if (!m_flushTimer->isActive())
        m_flushTimer->start();
}

void FrmCommLog::flushPending() {
    m_flushTimer->stop();
    if (m_pending.isEmpty())
        return;
    // Always at the end, wherever the user left the caret; the view follows the end.
    QTextCursor cursor = m_txtCommLog->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(m_pending);
    m_txtCommLog->setTextCursor(cursor);
    m_pending.clear();
}

void FrmCommLog::clearLog() {
    m_flushTimer->stop();
    m_pending.clear();
    m_txtCommLog->clear();
    m_logLength = 0;
    m_view.restart();
}

QString FrmCommLog::logText() const {
    QString text = m_txtCommLog->toPlainText() + m_pending;
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

void FrmCommLog::logEvent(const QString& text) {
    append(m_view.event(text));
    if (m_fileLogEnabled && !m_fileLog->writeEvent(text))
        fileWriteFailed();
}

bool FrmCommLog::takeTraffic() {
    if (m_downloadQuiet && m_downloadQuiet())
        return false;
    if (m_logLength > maxLogLength)
        clearLog();
    return true;
}

void FrmCommLog::logReceivedChar(QChar c) {
    if (!takeTraffic())
        return;
    append(m_view.receivedChar(c));
    if (m_fileLogEnabled && !m_fileLog->writeChar(c))
        fileWriteFailed();
}

void FrmCommLog::logReceivedLineEnd() {
    if (!takeTraffic())
        return;
    // One line break in the widget stands for the CR LF of the log text.
    append(m_view.receivedLineEnd());
    if (m_fileLogEnabled && !m_fileLog->writeLineEnd())
        fileWriteFailed();
}

// Line feeds and writes appear only in the views that show every byte; the plain view is left as it is.
void FrmCommLog::logReceivedLineFeed() {
    if (m_view.bytes() != LogView::Bytes::Plain && takeTraffic())
        append(m_view.receivedLineFeed());
}

void FrmCommLog::logSent(const QByteArray& data) {
    if (m_view.bytes() != LogView::Bytes::Plain && takeTraffic())
        append(m_view.sent(data));
}

void FrmCommLog::setViewBytes(int index) {
    m_view.setBytes(kViews.value(index, LogView::Bytes::Plain));
}

// Typing.

bool FrmCommLog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_txtRequest && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            walkHistory(key == Qt::Key_Up);
            return true;
        }
    }
    if (watched == m_txtCommLog && event->type() == QEvent::KeyPress) {
        // Every key is swallowed: no editing, no navigation; what it types goes to the monitor. The keys that
        // leave or close the window are the window's.
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool control = key->modifiers() & Qt::ControlModifier;
        if (key->key() == Qt::Key_Escape ||
            (control && (key->key() == Qt::Key_F4 || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)))
            return false;
        const QString text = key->text();
        for (const QChar c : text)
            typeCharacter(c);
        return true;
    }
    return ChildWindow::eventFilter(watched, event);
}

void FrmCommLog::typeCharacter(QChar c) {
    const bool carriageReturn = c == QLatin1Char('\r');
    if (m_ctx.link->bypassQueue) {
        const char byte = c.toLatin1();
        QByteArray data(1, byte ? byte : '?');
        if (carriageReturn)
            data += '\n';
        m_ctx.link->writeDirect(data);
        return;
    }
    if (!carriageReturn) {
        m_typedLine += c;
        return;
    }
    const QString line = m_typedLine + QStringLiteral("\r\n");
    m_typedLine.clear();
    m_ctx.queue()->queueRequest(line);
}

// The request line.

void FrmCommLog::sendRequest() {
    // A pasted text of several lines goes as one request per line, in order.
    static const QRegularExpression lineBreak(QStringLiteral("[\r\n]"));
    const QStringList requests = m_txtRequest->text().split(lineBreak, Qt::SkipEmptyParts);
    m_txtRequest->clear();
    for (const QString& request : requests) {
        m_history.add(request);
        if (m_ctx.link->bypassQueue)
            m_ctx.link->writeDirect(request.toLatin1() + "\r\n");
        else
            m_ctx.queue()->queueRequest(request + QStringLiteral("\r\n"));
    }
    // Written at once, not only at shut-down, so that a tool that stops unexpectedly keeps what was typed.
    if (!requests.isEmpty()) {
        m_history.save(*m_ctx.settings);
        m_ctx.settings->sync();
    }
}

void FrmCommLog::walkHistory(bool older) {
    const QString current = m_txtRequest->text();
    const QString shown = older ? m_history.older(current) : m_history.newer(current);
    if (shown != current)
        m_txtRequest->setText(shown);
}

// The log file.

bool FrmCommLog::fileLogOpen() const {
    return m_fileLog->isOpen();
}

QString FrmCommLog::fileLogName() const {
    return m_fileLog->isOpen() ? m_fileLog->fileName() : QString();
}

void FrmCommLog::setFileLogEnabled(bool on) {
    m_fileLogEnabled = on && fileLogOpen();
    m_ckFileEnabled->setChecked(m_fileLogEnabled);
}

void FrmCommLog::logToFile() {
    if (fileLogOpen()) {
        closeLogFile();
        return;
    }
    Dialogs::FileRequest request;
    request.title = QStringLiteral("Log to File");
    request.filter = QStringLiteral("Monitor Comm Log Files(*.mcl);;Text Files(*.txt);;All files(*.*)");
    request.startDir = QDir::currentPath();
    request.proposedName = Text::fileNamePart(m_ctx.model->serialNumber) + QStringLiteral(".mcl");
    request.mustExist = false;
    request.overwritePrompt = true;
    const QString path = m_ctx.dialogs->saveFile(this, request);
    if (path.isEmpty())
        return;
    if (!m_fileLog->open(path)) {
        m_ctx.dialogs->message(this,
                               QStringLiteral("Unable to open the log file ") + QDir::toNativeSeparators(path) +
                                   QStringLiteral(": ") + m_fileLog->errorString(),
                               QString(), Dialogs::Ok, Dialogs::Critical);
        return;
    }
    m_ckFileEnabled->setEnabled(true);
    m_lblFilLogEnabled->setEnabled(true);
    m_btnEndFileLog->setEnabled(true);
    setFileLogEnabled(true);
}

void FrmCommLog::closeLogFile() {
    m_fileLog->close();
    setFileLogEnabled(false);
    m_ckFileEnabled->setEnabled(false);
    m_lblFilLogEnabled->setEnabled(false);
    m_btnEndFileLog->setEnabled(false);
}

void FrmCommLog::fileWriteFailed() {
    const QString path = m_fileLog->fileName();
    const QString reason = m_fileLog->errorString();
    closeLogFile();
    // The failed write came from the link's traffic: the box waits until the link has done with it.
    const QString text = QStringLiteral("Unable to write to the log file ") + QDir::toNativeSeparators(path) +
                         QStringLiteral(": ") + reason + QStringLiteral(". The log file is closed.");
    QMetaObject::invokeMethod(
        this, [this, text] { m_ctx.dialogs->message(this, text, QString(), Dialogs::Ok, Dialogs::Critical); },
        Qt::QueuedConnection);
}

void FrmCommLog::unload() {
    Settings* st = m_ctx.settings;
    const Link* link = m_ctx.link;
    st->writeText(kConfigs, QStringLiteral("CommLogOpen"), logWindowOpen() ? QStringLiteral("1") : QStringLiteral("0"));
    st->writeText(kConfigs, QStringLiteral("AutoPingEnabled"),
                  link->autoPingEnabled() ? QStringLiteral("1") : QStringLiteral("0"));
    st->writeText(kConfigs, QStringLiteral("BypassTransmitQueue"),
                  link->bypassQueue ? QStringLiteral("1") : QStringLiteral("0"));
    st->writeText(kConfigs, kViewKey, QString::number(std::max(0, m_cboLogView->currentIndex())));
    st->writeText(kConfigs, kTimestampsKey, m_view.timestamps() ? QStringLiteral("1") : QStringLiteral("0"));
    m_history.save(*st);
    closeLogFile();
}
