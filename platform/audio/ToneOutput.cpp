// The tone's sound output, a module of its own: the audio libraries (and the sound server's client) are loaded
// only when the first tone is played, not with every start of the tool.
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QByteArray>
#include <QMediaDevices>
#include <QtMath>

namespace {
QtMessageHandler previousHandler = nullptr;

// While the audio backend is first asked for its devices it reports a missing sound server as a warning;
// the tool has its own fallback, so that report is not passed on.
void quietAudioProbe(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const bool audioBackend = message.startsWith(QLatin1String("PulseAudioService")) ||
                              QByteArray(context.category ? context.category : "").startsWith("qt.multimedia");
    if (type == QtWarningMsg && audioBackend)
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

// The tone playing now; replaced by the next one. Kept to the end of the process.
QAudioSink* sink = nullptr;
QBuffer* buffer = nullptr;
} // namespace

extern "C" Q_DECL_EXPORT bool orvexmonToneHasOutput() {
    previousHandler = qInstallMessageHandler(quietAudioProbe);
    const bool any = !QMediaDevices::audioOutputs().isEmpty();
    qInstallMessageHandler(previousHandler);
    previousHandler = nullptr;
    return any;
}

extern "C" Q_DECL_EXPORT bool orvexmonTonePlay(int frequencyHz, int durationMs) {
    if (!orvexmonToneHasOutput())
        return false;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return false;
    QAudioFormat format;
    format.setSampleRate(22050);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format))
        return false;
    const int samples = format.sampleRate() * durationMs / 1000;
    QByteArray pcm(samples * 2, Qt::Uninitialized);
    auto* out = reinterpret_cast<qint16*>(pcm.data());
    for (int i = 0; i < samples; ++i)
        out[i] = qint16(8000 * qSin(2 * M_PI * frequencyHz * i / format.sampleRate()));
    delete sink;
    delete buffer;
    buffer = new QBuffer;
    buffer->setData(pcm);
    buffer->open(QIODevice::ReadOnly);
    sink = new QAudioSink(device, format);
    sink->start(buffer);
    return sink->error() == QAudio::NoError;
}
