#pragma once
#include "platform/Tone.h"

#include <QList>
#include <QPair>

class RecordingTone : public Tone {
public:
    void play(int frequencyHz, int durationMs) override { tones << qMakePair(frequencyHz, durationMs); }
    QList<QPair<int, int>> tones;
};
