#pragma once
// Which window each menu item shows. One line per window; the item is found by its documented name.
class FrmMain;

void connectWindowMenus(FrmMain* mainWindow);
