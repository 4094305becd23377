#pragma once
// "Monitor Configuration": one row per board or function the monitor can report, each a caption and an
// indicator, green when the capability answer reported it and red when not. The window sends nothing itself.
#include "protocol/FirmwareClass.h"
#include "ui/ChildWindow.h"

#include <QList>

class QLabel;
class QPushButton;

class FrmCapability : public ChildWindow {
    Q_OBJECT
public:
    explicit FrmCapability(AppContext& ctx, QWidget* parent = nullptr);

    // Indicator colours.
    static QColor reportedColour() { return QColor(0, 255, 0); }
    static QColor notReportedColour() { return QColor(255, 0, 0); }
    // The classes whose monitors report their capability; the others show every indicator red.
    static bool showsCapability(int firmwareClass) { return FirmwareClass::showsCapability(firmwareClass); }
    static QString notReportedText() { return QStringLiteral("This monitor does not report which boards it carries."); }

    void onActivated() override;
    // Colours the indicators from the model's capability flags (also "Refresh").
    void refresh();
    // What the monitor family set-up changes here: the further caption.
    void applyFamilySetUp(int firmwareClass);

private:
    QList<QPushButton*> m_indicators;
    QLabel* m_furtherCaption = nullptr;
    QLabel* m_notReported = nullptr;
};
