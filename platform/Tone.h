#pragma once
// A tone of given frequency and duration: a real sound where an audio output exists, silent elsewhere.
class Tone {
public:
    virtual ~Tone() = default;
    virtual void play(int frequencyHz, int durationMs) = 0;
};

class AudioTone : public Tone {
public:
    AudioTone();
    ~AudioTone() override;
    void play(int frequencyHz, int durationMs) override;

private:
    struct Impl;
    Impl* d;
};
