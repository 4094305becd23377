#include "cli/Questions.h"

#include <cstdio>

bool Questions::confirm(const QString& question, const QString& title) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(question));
    if (m_agree) {
        std::fprintf(stderr, "Yes (--yes)\n");
        return true;
    }
    m_refused = true;
    std::fprintf(stderr, "Refused: give --yes to agree.\n");
    return false;
}
