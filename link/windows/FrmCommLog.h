#pragma once
// "Monitor Communication Log": what the monitor sends and every port event, requests typed by hand or sent
// from the request line with its history, the view of the traffic (plain, control characters, hex, with or
// without timestamps), the verbose/terse and checking switches, auto-ping, the queue bypass, "Clear Xmit
// Queue", "ReConnect" and the log file. Created hidden at start-up and alive for the whole run: the link
// writes into it, and its indicator and switches belong to the link.
#include "link/LogSink.h"
#include "link/LogView.h"
#include "link/RequestHistory.h"
#include "ui/ChildWindow.h"

#include <functional>
#include <memory>

class FileLog;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

class FrmCommLog : public ChildWindow, public LogSink {
    Q_OBJECT
public:
    // The log text is emptied before an addition once it is longer than this.
    static constexpr int maxLogLength = 15000;

    explicit FrmCommLog(AppContext& ctx);
    ~FrmCommLog() override;

    void logEvent(const QString& text) override;
    void logReceivedChar(QChar c) override;
    void logReceivedLineEnd() override;
    void logReceivedLineFeed() override;
    void logSent(const QByteArray& data) override;

    // The log text with each line end as CR LF (what is still waiting to be shown included), and its length
    // counted that way.
    QString logText() const;
    int logLength() const { return m_logLength; }
    void clearLog();
    // Puts what is waiting into the text now. Additions are shown together, a moment after they arrive: a long
    // line is laid out again on every change, so one change per character would cost the square of its length.
    void flushPending();
    // Characters typed since the last Enter (queue mode).
    const QString& typedLine() const { return m_typedLine; }
    // One key press in the log text: written to the port (bypass) or collected into the typed line (queue).
    void typeCharacter(QChar c);
    // The request line: "Send" or Enter sends its text with CR LF (through the queue, or straight to the port
    // with the bypass on) and keeps it in the history; an empty line sends nothing, a pasted text of several
    // lines sends each line.
    void sendRequest();
    const RequestHistory& requestHistory() const { return m_history; }
    const LogView& view() const { return m_view; }

    // Received traffic is left out of the log while this says so (a long download without download logging).
    void setDownloadQuiet(std::function<bool()> quiet) { m_downloadQuiet = std::move(quiet); }

    // The window is shown (saved as "CommLogOpen").
    bool logWindowOpen() const;
    bool fileLogOpen() const;
    bool fileLogEnabled() const { return m_fileLogEnabled; }
    QString fileLogName() const;

    // The check boxes and the auto-ping button show the link's flags.
    void syncControls();
    // Checking on offers "Disable Checking", checking off offers "Enable Checking" (the download uses it too).
    void showCheckingButtons(bool checkingOn);
    void toggleAutoPing();
    // "Log to File ...": closes the open log file, or asks for one and opens it.
    void logToFile();
    void closeLogFile();
    // Shut-down: writes "CommLogOpen", "AutoPingEnabled", "BypassTransmitQueue", the view and the request
    // history, and closes the log file.
    void unload();

    void onActivated() override;

signals:
    // "ReConnect": enter NoMonitor and restart the search with the connection and search windows.
    void reConnectRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void append(const QString& text);
    // Received traffic or a write is shown: not during a quiet download; the length rule applies first.
    bool takeTraffic();
    void setViewBytes(int index);
    void walkHistory(bool older);
    void setFileLogEnabled(bool on);
    void fileWriteFailed();
    void setIndicator(bool green);
    void placeControls();
    int px(int twips) const { return layoutPixels(twips); }

    QPlainTextEdit* m_txtCommLog;
    QPushButton* m_btnCheckOff;
    QPushButton* m_btnCheckOn;
    QPushButton* m_btnDisableAutoping;
    QPushButton* m_btnEndFileLog;
    QPushButton* m_btnInd;
    QPushButton* m_btnDone;
    QPushButton* m_btnReConnect;
    QCheckBox* m_ckXmitQueueOverride;
    QCheckBox* m_ckWindowEnabled;
    QCheckBox* m_ckFileEnabled;
    QLabel* m_lblFilLogEnabled;
    QCheckBox* m_ckTimestamps;
    QComboBox* m_cboLogView;
    QLineEdit* m_txtRequest;
    QPushButton* m_btnSend;

    // Controls that keep their distance from the bottom edge, in twips.
    struct Spot {
        QWidget* widget;
        int left;
        int fromBottom;
        int width;
        int height;
    };
    QList<Spot> m_spots;
    // Frame size in twips that the controls are laid out for.
    int m_layoutWidth;
    int m_layoutHeight;

    QString m_pending;
    QTimer* m_flushTimer;
    std::unique_ptr<FileLog> m_fileLog;
    bool m_fileLogEnabled = false;
    std::function<bool()> m_downloadQuiet;
    QString m_typedLine;
    LogView m_view;
    RequestHistory m_history;
    int m_logLength = 0;
};
