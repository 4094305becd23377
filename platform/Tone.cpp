#include "platform/Tone.h"

#include <QCoreApplication>
#include <QLibrary>

namespace {
using HasOutput = bool (*)();
using Play = bool (*)(int, int);

// The sound output module, loaded once, on first use: beside the program in the build folder, in the private
// library folder when installed.
struct ToneModule {
    HasOutput hasOutput = nullptr;
    Play play = nullptr;

    static const ToneModule& instance() {
        static const ToneModule module = load();
        return module;
    }

private:
    static ToneModule load() {
        ToneModule m;
#ifdef ORVEXMON_TONE_MODULE
        if (!QCoreApplication::instance())
            return m;
        const QString dir = QCoreApplication::applicationDirPath();
        QLibrary library;
        bool loaded = false;
        for (const QString& folder : {dir, dir + QStringLiteral("/../" ORVEXMON_MODULE_DIR)}) {
            library.setFileName(folder + QStringLiteral("/" ORVEXMON_TONE_MODULE));
            if ((loaded = library.load()))
                break;
        }
        if (!loaded)
            return m;
        m.hasOutput = reinterpret_cast<HasOutput>(library.resolve("orvexmonToneHasOutput"));
        m.play = reinterpret_cast<Play>(library.resolve("orvexmonTonePlay"));
        if (!m.hasOutput || !m.play)
            m = ToneModule();
#endif
        return m;
    }
};
} // namespace

bool AudioTone::soundModuleLoaded() {
    return ToneModule::instance().play != nullptr;
}

bool AudioTone::hasAudioOutput() {
    const ToneModule& module = ToneModule::instance();
    return module.hasOutput && module.hasOutput();
}

AudioTone::AudioTone(std::function<void()> fallbackBeep) : m_fallbackBeep(std::move(fallbackBeep)) {}

void AudioTone::play(int frequencyHz, int durationMs) {
    if (frequencyHz <= 0 || durationMs <= 0)
        return;
    const ToneModule& module = ToneModule::instance();
    const bool played = module.play && module.play(frequencyHz, durationMs);
    if (!played && m_fallbackBeep)
        m_fallbackBeep();
}
