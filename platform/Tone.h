#pragma once
// A tone of given frequency and duration: a real sound where an audio output exists, the desktop's beep
// elsewhere.
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
    ~AudioTone() override;
    void play(int frequencyHz, int durationMs) override;
    // Whether an audio output exists; asking leaves no backend chatter on the console.
    static bool hasAudioOutput();

private:
    bool playThroughAudioOutput(int frequencyHz, int durationMs);

    struct Impl;
    Impl* d;
    std::function<void()> m_fallbackBeep;
};
