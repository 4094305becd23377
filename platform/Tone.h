#pragma once
// A tone of given frequency and duration: a real sound where an audio output exists, the desktop's beep
// elsewhere. The sound output is a module beside the program, loaded when the first tone sounds, so that the
// audio libraries cost nothing at start-up.
#include <functional>

class Tone {
public:
    virtual ~Tone() = default;
    virtual void play(int frequencyHz, int durationMs) = 0;
};

class AudioTone : public Tone {
public:
    // fallbackBeep sounds when no audio output can play the tone (no device, no multimedia support).
    explicit AudioTone(std::function<void()> fallbackBeep = {});
    void play(int frequencyHz, int durationMs) override;
    // Whether an audio output exists; asking leaves no backend chatter on the console.
    static bool hasAudioOutput();
    // Whether the sound output module was found and loaded (a build without audio support has none).
    static bool soundModuleLoaded();

private:
    std::function<void()> m_fallbackBeep;
};
