#include "ui/LayoutTwips.h"

#include "ui/WindowPlacement.h"

#include <QFontMetrics>
#include <QWidget>

#include <algorithm>

namespace {
// Average character width, in pixels at 96 dots per inch, of the font the layout was drawn for.
constexpr double designCharWidth = 4.2;
constexpr double designDpi = 96.0;
} // namespace

double LayoutTwips::fontScale(const QWidget* window, const WindowPlacement* placement) {
    const double dpi = placement ? placement->dpi() : designDpi;
    const double designWidth = designCharWidth * dpi / designDpi;
    return std::clamp(window->fontMetrics().averageCharWidth() / designWidth, 1.0, 3.0);
}

int LayoutTwips::toPixels(const QWidget* window, const WindowPlacement* placement, int twips) {
    const double dpi = placement ? placement->dpi() : designDpi;
    return qRound(twips * dpi / 1440.0 * fontScale(window, placement));
}

int LayoutTwips::toTwips(const QWidget* window, const WindowPlacement* placement, int pixels) {
    const double dpi = placement ? placement->dpi() : designDpi;
    return qRound(pixels * 1440.0 / (dpi * fontScale(window, placement)));
}
