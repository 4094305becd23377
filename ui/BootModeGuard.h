#pragma once
// A monitor in its boot block refuses what the windows of its running firmware ask and set. Such a window opened
// in boot mode says so: a notice atop a window laid out in a column says why, its empty boxes read "in boot mode"
// and its buttons other than the one that closes it are off, so that nothing looks editable or sendable that is
// not; out of boot mode it is as it was built.
class ChildWindow;
class QWidget;

namespace BootModeGuard {

// Applies the rule to the window when it is one that needs the running firmware.
void apply(ChildWindow* window, bool bootMode);
// Whether the window shows the boot-block notice now.
bool noticeShown(const QWidget* window);
// Marks a note that says a state was not reported: hidden while the notice is shown, which says why.
inline constexpr const char* stateNote = "stateNote";

} // namespace BootModeGuard
