#pragma once

#include "sim/LineNoise.h"
#include "sim/SimMonitor.h"
#include "sim/SimOptions.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QQueue>
#include <QString>

class QSocketNotifier;
class QTimer;

namespace sim {

// The simulated monitor on a pseudo-terminal: the tool opens devicePath() as its serial port.
// Everything runs on the owner's event loop (socket notifiers and timers, no sleeping).
class PtySimulator : public QObject {
    Q_OBJECT
public:
    explicit PtySimulator(const SimOptions& options = SimOptions(), QObject* parent = nullptr);
    ~PtySimulator() override;

    // Opens the pseudo-terminal (and the --link symlink). False with *error on failure.
    bool start(QString* error = nullptr);
    void stop();
    bool isRunning() const { return m_master >= 0; }
    QString devicePath() const { return m_devicePath; }
    QString linkPath() const { return m_options.linkPath; }

    SimMonitor& monitor() { return m_monitor; }
    const SimMonitor& monitor() const { return m_monitor; }
    const SimOptions& options() const { return m_options; }

    // Faults at run time.
    void setSilent(bool silent);
    void setSilentAfter(int answers);
    void setDelay(int ms);
    void setEraseTime(int ms);
    void setBaud(int baud);
    void setRejectRecord(int k, int times);
    void setNoise(double percent, quint32 seed);
    // The next answer to this request (as typed, without its line end) comes with the last digit of its first
    // number turned into a letter: noise that a reader must not take for a number.
    void garbleNextAnswer(const QByteArray& request) { m_garble = request; }
    void setImageOut(const QString& path) { m_options.imageOut = path; }
    // Puts bytes on the line at once, outside any answer: line noise, a stray prompt.
    void sendRaw(const QByteArray& bytes);
    // "\r", "\n", "\t", "\\" and "\xHH" in text become the bytes they stand for; false for a broken escape.
    static bool unescape(const QString& text, QByteArray* bytes);

    // Writes the image of the last completed download (flash or SRAM) to a file (.bin raw, else Intel HEX).
    bool writeImage(const QString& path, DownloadTarget which = DownloadTarget::Flash, QString* error = nullptr) const;

    // Applies one control line ("silent 1", "delay 200", ...); false for an unknown line.
    bool applyControl(const QString& line);

    // Bytes waiting to be written to the line (delayed answers and throttled output).
    int pendingBytes() const;

signals:
    // Bytes have arrived from the tool (before noise; also while silent).
    void received(const QByteArray& bytes);
    // A request line has been received and answered (the answer may still be on its way).
    void requestHandled(const QByteArray& request, const QByteArray& answer);
    // A download has completed (its image has been written to the image file, if one is set).
    void downloadCompleted(sim::DownloadTarget target);
    // The image of a completed download could not be written to the image file.
    void imageWriteFailed(const QString& path, const QString& error);

private:
    void onReadable();
    void onWritable();
    void onDelayTimer();
    void onThrottleTimer();
    void takeInput(const QByteArray& bytes);
    static void garbleFirstNumber(QByteArray& answer);
    void queueOutput(const QByteArray& data);
    void flushOutput();

    struct DelayedAnswer {
        qint64 due;
        QByteArray data;
    };

    SimOptions m_options;
    SimMonitor m_monitor;
    LineNoise m_noise;
    QByteArray m_garble;
    int m_master = -1;
    int m_slave = -1;
    QString m_devicePath;
    bool m_linkCreated = false;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QTimer* m_delayTimer = nullptr;
    QTimer* m_throttleTimer = nullptr;
    QTimer* m_clockTimer = nullptr;
    QElapsedTimer m_clock;
    QQueue<DelayedAnswer> m_delayed;
    QByteArray m_output;   // ready to go out, subject to the throttle
    QByteArray m_writeBuf; // released by the throttle, waiting for the terminal to take it
    qint64 m_throttleStart = 0;
    qint64 m_throttleSent = 0;
    // What the tool sent, paced like the output: a character reaches the controller only once its ten bit
    // times have passed on the line.
    QTimer* m_inputTimer = nullptr;
    QByteArray m_input;
    qint64 m_inputDue = 0; // when the last character of m_input has arrived
};

} // namespace sim
