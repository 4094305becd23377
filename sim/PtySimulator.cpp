#include "sim/PtySimulator.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

namespace {

// Keeps the output of a monitor that nobody reads from growing without bound.
constexpr int maxPendingOutput = 1 << 20;
// Paced output is released in steps of at most this many milliseconds.
constexpr qint64 throttleStepMs = 5;

} // namespace

PtySimulator::PtySimulator(const SimOptions& options, QObject* parent)
    : QObject(parent), m_options(options), m_monitor(SimProfile::byName(options.profile), options.bootMode),
      m_noise(options.noisePercent, options.seed) {
    m_monitor.setRejectRecord(options.rejectRecord, options.rejectTimes);
    m_monitor.setDrift(options.drift);
    if (options.silent)
        m_monitor.setSilent(true);
    else if (options.silentAfter >= 0)
        m_monitor.setSilentAfter(options.silentAfter);

    // Answer delays and the line pacing are timed to the millisecond (a coarse timer may run 5 % late, which
    // would turn a delay just inside the tool's time-out into one beyond it).
    m_delayTimer = new QTimer(this);
    m_delayTimer->setSingleShot(true);
    m_delayTimer->setTimerType(Qt::PreciseTimer);
    connect(m_delayTimer, &QTimer::timeout, this, &PtySimulator::onDelayTimer);
    m_throttleTimer = new QTimer(this);
    m_throttleTimer->setSingleShot(true);
    m_throttleTimer->setTimerType(Qt::PreciseTimer);
    connect(m_throttleTimer, &QTimer::timeout, this, &PtySimulator::onThrottleTimer);
    m_inputTimer = new QTimer(this);
    m_inputTimer->setSingleShot(true);
    m_inputTimer->setTimerType(Qt::PreciseTimer);
    connect(m_inputTimer, &QTimer::timeout, this, [this] {
        const QByteArray bytes = m_input;
        m_input.clear();
        takeInput(bytes);
    });
    m_clockTimer = new QTimer(this);
    m_clockTimer->setInterval(1000);
    connect(m_clockTimer, &QTimer::timeout, this, [this] { m_monitor.advanceTime(1); });
    m_clock.start();
}

PtySimulator::~PtySimulator() {
    stop();
}

bool PtySimulator::start(QString* error) {
    if (isRunning())
        return true;
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    int master = -1;
    int slave = -1;
    char name[256] = {0};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return fail(QStringLiteral("openpty failed: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    // Raw mode, so that the tool's CR LF and every other byte pass unchanged and nothing is echoed by
    // the terminal itself.
    termios t;
    if (::tcgetattr(slave, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(slave, TCSANOW, &t);
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    m_master = master;
    // The slave stays open here as well, so that the master keeps working while the tool closes and
    // reopens the port.
    m_slave = slave;
    m_devicePath = QString::fromLocal8Bit(name);

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PtySimulator::onReadable);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PtySimulator::onWritable);
    m_clockTimer->start();

    if (!m_options.linkPath.isEmpty()) {
        const QFileInfo info(m_options.linkPath);
        // Replace a stale link from an earlier run, but never a real file.
        if (info.isSymLink())
            QFile::remove(m_options.linkPath);
        if (::symlink(name, QFile::encodeName(m_options.linkPath).constData()) != 0) {
            const QString text = QStringLiteral("cannot create link %1: %2")
                                     .arg(m_options.linkPath, QString::fromLocal8Bit(std::strerror(errno)));
            stop();
            return fail(text);
        }
        m_linkCreated = true;
    }
    return true;
}

void PtySimulator::stop() {
    if (m_linkCreated) {
        if (QFileInfo(m_options.linkPath).isSymLink())
            QFile::remove(m_options.linkPath);
        m_linkCreated = false;
    }
    delete m_readNotifier;
    m_readNotifier = nullptr;
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
    m_delayTimer->stop();
    m_throttleTimer->stop();
    m_inputTimer->stop();
    m_input.clear();
    m_clockTimer->stop();
    m_delayed.clear();
    m_output.clear();
    m_writeBuf.clear();
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = -1;
    m_slave = -1;
}

void PtySimulator::setSilent(bool silent) {
    m_monitor.setSilent(silent);
    if (silent) {
        // Whatever had not yet left the controller is lost with the cable.
        m_delayed.clear();
        m_delayTimer->stop();
        m_output.clear();
    }
}

void PtySimulator::setSilentAfter(int answers) {
    m_monitor.setSilent(false);
    m_monitor.setSilentAfter(answers);
}

void PtySimulator::setDelay(int ms) {
    m_options.delayMs = ms < 0 ? 0 : ms;
}

void PtySimulator::setEraseTime(int ms) {
    m_options.eraseMs = ms < 0 ? 0 : ms;
}

void PtySimulator::setBaud(int baud) {
    m_options.baud = baud < 0 ? 0 : baud;
    m_throttleSent = 0;
    m_throttleStart = m_clock.elapsed();
    flushOutput();
}

void PtySimulator::setRejectRecord(int k, int times) {
    m_options.rejectRecord = k;
    m_options.rejectTimes = times;
    m_monitor.setRejectRecord(k, times);
}

void PtySimulator::setNoise(double percent, quint32 seed) {
    m_options.noisePercent = percent;
    m_options.seed = seed;
    m_noise.configure(percent, seed);
}

bool PtySimulator::writeImage(const QString& path, DownloadTarget which, QString* error) const {
    const HexImage& image = which == DownloadTarget::Sram ? m_monitor.sramImage() : m_monitor.flashImage();
    return image.saveToFile(path, error);
}

void PtySimulator::sendRaw(const QByteArray& bytes) {
    queueOutput(bytes);
}

bool PtySimulator::unescape(const QString& text, QByteArray* bytes) {
    const QByteArray in = text.toLatin1();
    QByteArray out;
    for (int i = 0; i < in.size(); ++i) {
        if (in[i] != '\\') {
            out += in[i];
            continue;
        }
        if (++i >= in.size())
            return false;
        switch (in[i]) {
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case '\\':
            out += '\\';
            break;
        case 'x': {
            const QByteArray digits = in.mid(i + 1, 2);
            bool ok = false;
            const int v = digits.toInt(&ok, 16);
            if (digits.size() != 2 || !ok)
                return false;
            out += char(v);
            i += 2;
            break;
        }
        default:
            return false;
        }
    }
    *bytes = out;
    return true;
}

bool PtySimulator::applyControl(const QString& line) {
    // "send TEXT": the text after the first blank, spaces kept.
    if (line.startsWith(QLatin1String("send "))) {
        QByteArray bytes;
        if (!unescape(line.mid(5), &bytes) || bytes.isEmpty())
            return false;
        sendRaw(bytes);
        return true;
    }
    const QStringList w = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (w.isEmpty())
        return false;
    bool ok1 = false;
    bool ok2 = true;
    const QString& cmd = w[0];
    if (cmd == QLatin1String("silent") && w.size() == 2) {
        const int v = w[1].toInt(&ok1);
        if (ok1)
            setSilent(v != 0);
    } else if (cmd == QLatin1String("silent-after") && w.size() == 2) {
        const int v = w[1].toInt(&ok1);
        if (ok1)
            setSilentAfter(v);
    } else if (cmd == QLatin1String("delay") && w.size() == 2) {
        const int v = w[1].toInt(&ok1);
        if (ok1)
            setDelay(v);
    } else if (cmd == QLatin1String("erase-time") && w.size() == 2) {
        const int v = w[1].toInt(&ok1);
        if (ok1)
            setEraseTime(v);
    } else if (cmd == QLatin1String("baud") && w.size() == 2) {
        const int v = w[1].toInt(&ok1);
        if (ok1)
            setBaud(v);
    } else if (cmd == QLatin1String("reject-record") && w.size() == 3) {
        const int k = w[1].toInt(&ok1);
        const int n = w[2].toInt(&ok2);
        if (ok1 && ok2)
            setRejectRecord(k, n);
    } else if (cmd == QLatin1String("noise") && (w.size() == 2 || w.size() == 3)) {
        const double p = w[1].toDouble(&ok1);
        const quint32 seed = w.size() == 3 ? w[2].toUInt(&ok2) : m_options.seed;
        if (ok1 && ok2)
            setNoise(p, seed);
    } else if (cmd == QLatin1String("garble") && w.size() == 2) {
        garbleNextAnswer(w[1].toLatin1());
        ok1 = true;
    }
    return ok1 && ok2;
}

int PtySimulator::pendingBytes() const {
    int n = int(m_output.size() + m_writeBuf.size());
    for (const DelayedAnswer& d : m_delayed)
        n += int(d.data.size());
    return n;
}

void PtySimulator::onReadable() {
    if (m_master < 0)
        return;
    QByteArray bytes;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) {
            bytes.append(buf, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    if (bytes.isEmpty())
        return;
    if (m_options.baud <= 0) {
        takeInput(bytes);
        return;
    }
    // The line takes ten bit times a character; the controller acts on a line once its last character is in.
    const qint64 now = m_clock.elapsed();
    m_inputDue = qMax(m_inputDue, now) + qint64(bytes.size()) * 10000 / m_options.baud;
    m_input += bytes;
    m_inputTimer->start(int(m_inputDue - now));
}

void PtySimulator::takeInput(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return;
    emit received(bytes);
    const QList<Exchange> exchanges = m_monitor.feed(m_noise.apply(bytes));
    for (const Exchange& e : exchanges) {
        // The image is on disk before the answer that ends the download goes out, so whoever reads that
        // answer finds the file.
        QString imageError;
        if (e.completed != DownloadTarget::None && !m_options.imageOut.isEmpty() &&
            !writeImage(m_options.imageOut, e.completed, &imageError))
            emit imageWriteFailed(m_options.imageOut, imageError);
        if (!e.answer.isEmpty()) {
            // On the line, the controller ends its prompt (or "!") with a line end, which the tool drops
            // before the next answer's echo; some controllers send none.
            QByteArray wire = m_options.barePrompt ? e.answer : e.answer + "\r\n";
            if (!m_garble.isEmpty() && e.request.trimmed() == m_garble) {
                m_garble.clear();
                garbleFirstNumber(wire);
            }
            // The erase keeps the controller busy: what arrives meanwhile is answered after it.
            const int delay = m_options.delayMs + (e.request.trimmed() == "bf3" ? m_options.eraseMs : 0);
            if (delay > 0) {
                qint64 due = m_clock.elapsed() + delay;
                if (!m_delayed.isEmpty() && m_delayed.last().due > due)
                    due = m_delayed.last().due;
                m_delayed.enqueue({due, wire});
                if (!m_delayTimer->isActive())
                    m_delayTimer->start(int(qMax<qint64>(0, m_delayed.head().due - m_clock.elapsed())));
            } else {
                queueOutput(wire);
            }
        }
        emit requestHandled(e.request, e.answer);
        if (e.completed != DownloadTarget::None)
            emit downloadCompleted(e.completed);
    }
}

void PtySimulator::garbleFirstNumber(QByteArray& answer) {
    // The echo's own digits stay: the first number of the reply lines.
    int at = answer.indexOf('\n');
    while (at >= 0 && at < answer.size() && !std::isdigit(static_cast<unsigned char>(answer.at(at))))
        ++at;
    while (at >= 0 && at + 1 < answer.size() && std::isdigit(static_cast<unsigned char>(answer.at(at + 1))))
        ++at;
    if (at >= 0 && at < answer.size())
        answer[at] = 'u';
}

void PtySimulator::onDelayTimer() {
    const qint64 now = m_clock.elapsed();
    while (!m_delayed.isEmpty() && m_delayed.head().due <= now)
        queueOutput(m_delayed.dequeue().data);
    if (!m_delayed.isEmpty())
        m_delayTimer->start(int(qMax<qint64>(0, m_delayed.head().due - now)));
}

void PtySimulator::onThrottleTimer() {
    flushOutput();
}

void PtySimulator::onWritable() {
    flushOutput();
}

void PtySimulator::queueOutput(const QByteArray& data) {
    if (m_output.isEmpty() && m_options.baud > 0) {
        // Once the last character has had its time on the line, the throttle starts counting afresh.
        const qint64 now = m_clock.elapsed();
        if (now >= m_throttleStart + m_throttleSent * 10000 / m_options.baud) {
            m_throttleStart = now;
            m_throttleSent = 0;
        }
    }
    m_output += m_noise.apply(data);
    if (m_output.size() > maxPendingOutput)
        m_output = m_output.right(maxPendingOutput);
    flushOutput();
}

void PtySimulator::flushOutput() {
    if (m_master < 0)
        return;
    if (!m_output.isEmpty()) {
        if (m_options.baud > 0) {
            // Ten bit times per character (start, eight data bits, stop).
            const qint64 elapsed = m_clock.elapsed() - m_throttleStart;
            const qint64 allowed = 1 + elapsed * m_options.baud / 10000 - m_throttleSent;
            const int n = int(qBound<qint64>(0, allowed, m_output.size()));
            m_writeBuf += m_output.left(n);
            m_output.remove(0, n);
            m_throttleSent += n;
            if (!m_output.isEmpty()) {
                // Release in small steps, and the last character exactly when its time has come.
                const qint64 lastDue =
                    m_throttleStart +
                    ((m_throttleSent + m_output.size() - 1) * 10000 + m_options.baud - 1) / m_options.baud;
                m_throttleTimer->start(int(qBound<qint64>(0, lastDue - m_clock.elapsed(), throttleStepMs)));
            } else {
                m_throttleTimer->stop();
            }
        } else {
            m_writeBuf += m_output;
            m_output.clear();
            m_throttleTimer->stop();
        }
    } else {
        m_throttleTimer->stop();
    }
    while (!m_writeBuf.isEmpty()) {
        const ssize_t n = ::write(m_master, m_writeBuf.constData(), size_t(m_writeBuf.size()));
        if (n > 0) {
            m_writeBuf.remove(0, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    if (m_writeBuf.size() > maxPendingOutput)
        m_writeBuf = m_writeBuf.right(maxPendingOutput);
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(!m_writeBuf.isEmpty());
}

} // namespace sim
