#pragma once
// A download's progress on standard error: a bar redrawn in place when it is a terminal, otherwise a plain
// percentage line each time the whole percentage changes (for logs and scripts).
#include <cstdio>

class ProgressBar {
public:
    explicit ProgressBar(std::FILE* out);
    ~ProgressBar();
    void show(int percent);
    // Ends the bar's line, so that what follows starts on a line of its own.
    void finish();

private:
    std::FILE* m_out;
    bool m_terminal;
    int m_shown = -1;
};
