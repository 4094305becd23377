#pragma once
// "Brightness and Contrast Limits": the lower and upper limits of the day and night contrast and brightness,
// as the panel-status answer reports them.
#include "ui/ChildWindow.h"

#include <QStringList>

class FrmLimits : public ChildWindow {
    Q_OBJECT
public:
    explicit FrmLimits(AppContext& ctx);

    void onActivated() override;
    // Eight limits in the order of the panel-status answer: for day contrast, night contrast, day brightness and
    // night brightness in turn, the lower then the upper limit.
    void showLimits(const QStringList& texts);
};
