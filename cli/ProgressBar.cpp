#include "cli/ProgressBar.h"

#include <algorithm>
#include <unistd.h>

namespace {
constexpr int barWidth = 40;
}

ProgressBar::ProgressBar(std::FILE* out) : m_out(out), m_terminal(::isatty(::fileno(out)) == 1) {}

ProgressBar::~ProgressBar() {
    finish();
}

void ProgressBar::show(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent == m_shown)
        return;
    m_shown = percent;
    if (!m_terminal) {
        std::fprintf(m_out, "%d%%\n", percent);
        std::fflush(m_out);
        return;
    }
    const int filled = percent * barWidth / 100;
    char bar[barWidth + 1];
    std::fill(bar, bar + filled, '#');
    std::fill(bar + filled, bar + barWidth, '.');
    bar[barWidth] = 0;
    std::fprintf(m_out, "\r[%s] %3d%%", bar, percent);
    std::fflush(m_out);
}

void ProgressBar::finish() {
    if (m_terminal && m_shown >= 0) {
        std::fprintf(m_out, "\n");
        std::fflush(m_out);
    }
    m_shown = -1;
}
