#pragma once
// "Link Report": what the link has done since the tool started (requests, answers, time-outs, retries,
// rejections, reconnects, answer times), refreshed each second while the window is shown, and the one-click
// diagnostic report file.
#include "link/DiagnosticReport.h"
#include "ui/ChildWindow.h"

#include <QHash>

class QLabel;
class Timer;

class FrmLinkReport : public ChildWindow {
    Q_OBJECT
public:
    static constexpr int refreshMs = 1000;

    explicit FrmLinkReport(AppContext& ctx);

    void onActivated() override;
    void refresh();
    // The report as it would be saved now.
    QString reportText() const;
    // "Save Diagnostic Report ...": asks for a file and writes the report; false when cancelled or failed.
    bool saveReport();
    Timer* refreshTimer() const { return m_refresh; }

private:
    QHash<QString, QLabel*> m_values;
    QLabel* m_saved;
    Timer* m_refresh;
};
