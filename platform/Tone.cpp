#include "platform/Tone.h"

#include <QByteArray>
#include <QtMath>

#ifdef ORVEXMON_HAVE_MULTIMEDIA
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#include <QPointer>
#endif

namespace {
#ifdef ORVEXMON_HAVE_MULTIMEDIA
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
#endif
} // namespace

bool AudioTone::hasAudioOutput() {
#ifdef ORVEXMON_HAVE_MULTIMEDIA
    previousHandler = qInstallMessageHandler(quietAudioProbe);
    const bool any = !QMediaDevices::audioOutputs().isEmpty();
    qInstallMessageHandler(previousHandler);
    previousHandler = nullptr;
    return any;
#else
    return false;
#endif
}

struct AudioTone::Impl {
#ifdef ORVEXMON_HAVE_MULTIMEDIA
    QPointer<QAudioSink> sink;
    QBuffer* buffer = nullptr;
#endif
};

AudioTone::AudioTone(std::function<void()> fallbackBeep) : d(new Impl), m_fallbackBeep(std::move(fallbackBeep)) {}

AudioTone::~AudioTone() {
#ifdef ORVEXMON_HAVE_MULTIMEDIA
    delete d->sink;
    delete d->buffer;
#endif
    delete d;
}

void AudioTone::play(int frequencyHz, int durationMs) {
    if (frequencyHz <= 0 || durationMs <= 0)
        return;
    if (!playThroughAudioOutput(frequencyHz, durationMs) && m_fallbackBeep)
        m_fallbackBeep();
}

bool AudioTone::playThroughAudioOutput(int frequencyHz, int durationMs) {
#ifdef ORVEXMON_HAVE_MULTIMEDIA
    if (!hasAudioOutput())
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
    delete d->sink;
    delete d->buffer;
    d->buffer = new QBuffer;
    d->buffer->setData(pcm);
    d->buffer->open(QIODevice::ReadOnly);
    d->sink = new QAudioSink(device, format);
    d->sink->start(d->buffer);
    return d->sink->error() == QAudio::NoError;
#else
    (void)frequencyHz;
    (void)durationMs;
    return false;
#endif
}
