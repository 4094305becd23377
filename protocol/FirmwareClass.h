#pragma once
// The firmware-class ranges, each named once. The class is the monitor's firmware version times 100. Most ranges
// follow one of two rules that differ on purpose: the family set-up (menus, window layouts, board identity) ends
// each family at x98 and class 1 at 138, while the answers, the data file and most windows take the whole hundred
// (100-199, 200-299). A range that departs from both says why next to it.
namespace FirmwareClass {

constexpr bool within(int c, int low, int high) {
    return c >= low && c <= high;
}

// --- The family set-up: up to 138, 200-298, 300-398, 400-498; 139-199 and x99 run none.

// 1 (CRT), 2 (CRT with board identity), 3 (flat panel), 4 (flat panel with LED backlight); 0 for no set-up.
constexpr int setUpFamily(int c) {
    if (within(c, 400, 498))
        return 4;
    if (within(c, 300, 398))
        return 3;
    if (within(c, 200, 298))
        return 2;
    return c <= 138 ? 1 : 0;
}
constexpr bool hasBoardIdentity(int c) {
    return setUpFamily(c) == 2;
}
constexpr bool isFlatPanel(int c) {
    return setUpFamily(c) == 3 || setUpFamily(c) == 4;
}
// The flat panels with colour balance, contrast hysteresis and the "LED Backlight" caption.
constexpr bool hasColourBalancePanel(int c) {
    return c == 315 || c == 316;
}
// The families whose monitors keep scan sets; the LED-backlight panels show no current scan selection.
constexpr bool hasScanSets(int c) {
    return setUpFamily(c) >= 1 && setUpFamily(c) <= 3;
}
// The monitors the set-up asks for their capability: the CRTs with board identity from 209, and the flat
// panels whose configuration window shows it (310 on, and the LED-backlight panels, which answer it too).
constexpr bool asksCapability(int c) {
    return within(c, 209, 298) || within(c, 310, 398) || within(c, 400, 498);
}
// The low-brightness rows of colour balance and the contrast hysteresis of a CRT with board identity.
constexpr bool hasLowBrightnessControls(int c) {
    return within(c, 216, 298);
}
constexpr bool showsContrastHysteresis(int c) {
    return hasLowBrightnessControls(c) || hasColourBalancePanel(c);
}

// --- The whole hundreds, as the answers, the data file and the windows take them.

constexpr bool isClass1(int c) {
    return within(c, 100, 199);
}
constexpr bool isClass2(int c) {
    return within(c, 200, 299);
}
// The data file's CRT serial and part numbers.
constexpr bool isCrt(int c) {
    return within(c, 100, 299);
}
// The capability window: the class-3 range starts at 310 because earlier flat panels report no capability.
constexpr bool showsCapability(int c) {
    return within(c, 209, 299) || within(c, 310, 399);
}

// --- Test points: the decoder of a class, 100-199, 200-298, 300-398, 400-498 (x99 is decoded by none).
constexpr int testPointDecoder(int c) {
    if (isClass1(c))
        return 1;
    const int family = setUpFamily(c);
    return family >= 2 ? family : 0;
}

// --- Single features, each with the range its firmware introduced it in.

// The anode current limit can be set from 217 up to the end of class 2.
constexpr bool setsAnodeCurrentLimit(int c) {
    return within(c, 217, 299);
}
// The colour-balance offsets ("dfd", "dfp", "dff", "cfp") exist above 216 and below 300.
constexpr bool hasVideoOffsets(int c) {
    return within(c, 217, 299);
}
// The limits answer carries two hysteresis numbers from 216; its range includes 300, as the firmware sends them.
constexpr bool limitsCarryHysteresis(int c) {
    return within(c, 216, 300);
}
// The limits answer carries the software-control flags ("BC") from 216 to the end of class 2.
constexpr bool limitsCarrySoftwareControl(int c) {
    return within(c, 216, 299);
}
// Software control of brightness and contrast: one flag for both from 201, one each for 212-299 and 315.
constexpr bool hasSoftwareControl(int c) {
    return c >= 201;
}
constexpr bool hasSeparateSoftwareControls(int c) {
    return within(c, 212, 299) || c == 315;
}
// The brightness-contrast window asks for the operating time from 200 and for the panel status in class 2 only.
constexpr bool readsControlOperatingTime(int c) {
    return c >= 200;
}
constexpr bool readsPanelStatus(int c) {
    return within(c, 200, 299);
}

} // namespace FirmwareClass
