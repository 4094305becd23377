#pragma once
// "Current Scan Set": number and name of the scan set the monitor is running, filled by the "dc" answer.
#include "ui/ChildWindow.h"

class QLabel;

class FrmCurrentScanSet : public ChildWindow {
    Q_OBJECT
public:
    explicit FrmCurrentScanSet(AppContext& ctx, QWidget* parent = nullptr);

    void onActivated() override;
    void showNumber(int number);
    void showName(const QString& name);
    void showFrequencies(const QString& horizontal, const QString& vertical);

private:
    QLabel* m_number = nullptr;
    QLabel* m_name = nullptr;
    QLabel* m_hFreq = nullptr;
    QLabel* m_vFreq = nullptr;
};
