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
    // Asking for the default device on a machine without any would only produce console noise.
    if (QMediaDevices::audioOutputs().isEmpty())
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
