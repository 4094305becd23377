#pragma once
// Layout lengths of the windows are twips drawn for a narrow 8-point system font with slim borders. They become
// pixels through the screen's resolution and the font the window really uses, for the window's own size as for
// its controls: with a wider font every position and size grows alike, so each control keeps the proportions the
// layout gives it and its caption still fits.
class QWidget;
class WindowPlacement;

namespace LayoutTwips {
// How much wider the window's font is than the one the layout was drawn for, at the placement's resolution
// (96 dots per inch without one); never below 1 nor above 3.
double fontScale(const QWidget* window, const WindowPlacement* placement);
// A layout length in twips as pixels on the window.
int toPixels(const QWidget* window, const WindowPlacement* placement, int twips);
// Pixels on the window as a layout length in twips.
int toTwips(const QWidget* window, const WindowPlacement* placement, int pixels);
} // namespace LayoutTwips
