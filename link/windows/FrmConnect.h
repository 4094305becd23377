#pragma once
// "Monitor Connection": the port and line choice, the status text and the indicator. Created at start-up and
// alive for the whole run; its load opens the configured port and starts the search.
#include "ui/ChildWindow.h"

class DeviceChoice;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

class FrmConnect : public ChildWindow {
    Q_OBJECT
public:
    explicit FrmConnect(AppContext& ctx);

    static QString timedOutText();
    // What the window says while the search pings the port and once it has found the monitor.
    QString searchingText() const;
    static QString connectedText() { return QStringLiteral("Connected on the selected port."); }
    QString portSettings() const { return m_portSettings; }
    // The line settings text of the selected baud-rate option.
    QString selectedLineSettings() const;

    // The load: restore, open the configured port, start the search when it opened.
    void load();
    // Choosing port option i (port number i + 1).
    void choosePort(int index);
    // "OK": the search window is shown and the search restarts.
    void tryAgain();
    void hideConnectionWindows();
    void setStatus(const QString& text);
    QString status() const;
    // Binds a device to the selected port number and reopens the port when it is the one in use.
    void bindDevice(const QString& device);
    // After start-up: why the configured port could not be opened, when it could not.
    void explainStartTrouble();

private:
    void showSearch();
    // Opens the chosen port and starts the search, or says the port cannot be used.
    void openAndSearch(const QString& lineSettings);
    void setIndicator(bool green);
    void refreshDevice();
    // Why the port cannot be used, in a box (each reason once: the search's retries only log it).
    void showTrouble(const QString& trouble);

    QString m_portSettings;
    QButtonGroup* m_portGroup;
    QRadioButton* m_optCommPort[4];
    QRadioButton* m_optBaudRate[2];
    QLabel* m_lbl1;
    QLabel* m_lblDevice;
    DeviceChoice* m_cboDevice;
    QPushButton* m_btnInd;
    QCheckBox* m_ckAutoReConnect;
    bool m_choosing = false;
};
