#pragma once
// The monitor family set-up: after every firmware-version answer (also the one a data file replays) the firmware
// class decides which main-window menus are offered and what the colour-balance and configuration windows show;
// a monitor that reports its capability is asked for it, and one with scan sets for their names, its current
// scan set and its model and serial numbers. What a family does not touch keeps its state.
#include "protocol/FirmwareClass.h"

#include <QList>
#include <optional>

struct AppContext;
class FrmMain;

class FamilySetUp {
public:
    // One cell of the menu table: leave the item alone, switch it on or off, or on exactly for the flat panels of
    // class 315 and 316 (off, or left alone, for the other flat panels).
    enum Setting : char { Keep, On, Off, OnFor315ElseOff, OnFor315ElseKeep };
    struct MenuRow {
        const char* item;
        Setting family[4]; // up to 138, 200 to 298, 300 to 398, 400 to 498
    };
    static const QList<MenuRow>& menuTable();

    // What the set-up of a class does to a menu item: nothing (no value), on (true) or off (false).
    static std::optional<bool> menuSetting(const MenuRow& row, int firmwareClass);
    // The flat panels with colour balance and the "LED Backlight" caption.
    static bool hasColourBalancePanel(int firmwareClass) { return FirmwareClass::hasColourBalancePanel(firmwareClass); }
    // The monitors that report their capability.
    static bool asksCapability(int firmwareClass) { return FirmwareClass::asksCapability(firmwareClass); }

    FamilySetUp(AppContext& ctx, FrmMain* mainWindow) : m_ctx(ctx), m_main(mainWindow) {}
    // Runs the set-up of a firmware class; nothing for a class of no family.
    void apply(int firmwareClass);
    // A connection-state change: the next monitor's identity and scan sets are read again at its set-up.
    void forgetMonitor() { m_monitorRead = false; }

private:
    void applyMenus(int firmwareClass);
    void applyWindows(int firmwareClass);

    AppContext& m_ctx;
    FrmMain* m_main;
    // The identity and scan sets of the connected monitor have been asked for (once per connection; a later
    // version read, as Update All Data makes, asks nothing more).
    bool m_monitorRead = false;
};
