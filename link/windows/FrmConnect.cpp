#include "link/windows/FrmConnect.h"

#include "link/ConnectionSearch.h"
#include "link/Link.h"
#include "link/windows/FrmTimedOut.h"
#include "link/windows/FrmTrying.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/PortMap.h"
#include "platform/SerialDevices.h"
#include "platform/SerialPort.h"
#include "ui/AppContext.h"
#include "ui/WindowRegistry.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
const char* const kLine0 = "9600,N,8,1";
const char* const kLine1 = "19200,O,8,2";

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QString& tip) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(tip);
    return b;
}
} // namespace

// The device choice asks the machine for its serial devices only when the user opens the list or steps
// through it: the search is slow enough to be felt at start-up and on every change of port. Each entry shows
// the adapter's maker and model beside the device it stands for.
class DeviceChoice : public QComboBox {
public:
    DeviceChoice(const PortMap* map, QWidget* parent) : QComboBox(parent), m_map(map) {}

    // Shows the device in use; the others are listed again when next needed.
    void showDevice(const QString& device) {
        m_listed = false;
        clear();
        addItem(device, device);
        setCurrentText(device);
    }

    // The device chosen or typed.
    QString device() const {
        const int listed = findText(currentText());
        return (listed >= 0 ? itemData(listed).toString() : currentText()).trimmed();
    }

    void showPopup() override {
        listDevices();
        QComboBox::showPopup();
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down || event->key() == Qt::Key_PageUp ||
            event->key() == Qt::Key_PageDown)
            listDevices();
        QComboBox::keyPressEvent(event);
    }

private:
    void listDevices() {
        if (m_listed)
            return;
        m_listed = true;
        const QString current = device();
        QList<SerialDevice> devices = m_map->labelledDevices();
        if (!SerialDevices::paths(devices).contains(current))
            devices.prepend(SerialDevice{current, QString()});
        clear();
        for (const SerialDevice& d : devices) {
            addItem(d.display(), d.path);
            if (d.path == current)
                setCurrentIndex(count() - 1);
        }
    }

    const PortMap* m_map;
    bool m_listed = false;
};

FrmConnect::FrmConnect(AppContext& ctx) : ChildWindow(ctx, QStringLiteral("frmConnect"), QStringLiteral("Monitor Connection")) {
    setHideOnClose(true);

    auto* ports = new QGroupBox(QStringLiteral("Port"), this);
    auto* portGrid = new QGridLayout(ports);
    auto* portGroup = m_portGroup = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        m_optCommPort[i] = new QRadioButton(ports);
        m_optCommPort[i]->setObjectName(QStringLiteral("optCommPort(%1)").arg(i));
        auto* label = new QLabel(QStringLiteral("Com%1").arg(i + 1), ports);
        label->setObjectName(QStringLiteral("lblCom%1").arg(i + 1));
        label->setBuddy(m_optCommPort[i]);
        portGroup->addButton(m_optCommPort[i], i);
        portGrid->addWidget(m_optCommPort[i], i, 0);
        portGrid->addWidget(label, i, 1);
    }
    portGrid->setColumnStretch(1, 1);
    m_lblDevice = new QLabel(ports);
    m_lblDevice->setObjectName(QStringLiteral("lblDevice"));
    m_cboDevice = new DeviceChoice(ctx.portMap, ports);
    m_cboDevice->setObjectName(QStringLiteral("cboDevice"));
    m_cboDevice->setEditable(true);
    m_cboDevice->setToolTip(QStringLiteral("Serial device used for the selected port"));
    auto* bind = button(ports, "btnBindDevice", QStringLiteral("Use Device"),
                        QStringLiteral("Use this device for the selected port."));
    portGrid->addWidget(m_lblDevice, 4, 0, 1, 2);
    portGrid->addWidget(m_cboDevice, 5, 0, 1, 2);
    portGrid->addWidget(bind, 6, 0, 1, 2);

    auto* rates = new QGroupBox(QStringLiteral("Line"), this);
    auto* rateBox = new QVBoxLayout(rates);
    auto* rateGroup = new QButtonGroup(this);
    const QString rateLabels[2] = {QStringLiteral("9600,8,N,1"), QStringLiteral("19200,8,O,2")};
    for (int i = 0; i < 2; ++i) {
        m_optBaudRate[i] = new QRadioButton(rateLabels[i], rates);
        m_optBaudRate[i]->setObjectName(QStringLiteral("optBaudRate(%1)").arg(i));
        rateGroup->addButton(m_optBaudRate[i], i);
        rateBox->addWidget(m_optBaudRate[i]);
    }
    m_optBaudRate[0]->setChecked(true);
    m_optCommPort[0]->setChecked(true);
    m_portSettings = QString::fromLatin1(kLine0);

    m_ckAutoReConnect = new QCheckBox(rates);
    m_ckAutoReConnect->setObjectName(QStringLiteral("ckAutoReConnect"));
    m_ckAutoReConnect->setChecked(true);
    auto* lblReConnect = new QLabel(QStringLiteral("Auto ReConnect"), rates);
    lblReConnect->setObjectName(QStringLiteral("lblReConnect"));
    lblReConnect->setBuddy(m_ckAutoReConnect);
    auto* reconnectRow = new QHBoxLayout;
    reconnectRow->addWidget(m_ckAutoReConnect);
    reconnectRow->addWidget(lblReConnect, 1);
    rateBox->addLayout(reconnectRow);
    rateBox->addStretch();

    m_lbl1 = new QLabel(this);
    m_lbl1->setObjectName(QStringLiteral("lbl1"));
    m_lbl1->setWordWrap(true);
    m_btnInd = new QPushButton(this);
    m_btnInd->setObjectName(QStringLiteral("btnInd"));
    m_btnInd->setFixedSize(18, 18);
    m_btnInd->setFocusPolicy(Qt::NoFocus);

    auto* ok = button(this, "btnOK", QStringLiteral("OK"), QStringLiteral("Try this port."));
    auto* offline = button(this, "btnOffline", QStringLiteral("Offline"), QStringLiteral("Work without a monitor."));
    auto* done = button(this, "btnDone", QStringLiteral("Done"), QStringLiteral("Close Window"));

    auto* choices = new QHBoxLayout;
    choices->addWidget(ports);
    choices->addWidget(rates);
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(m_btnInd, 0, Qt::AlignTop);
    statusRow->addWidget(m_lbl1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(offline);
    buttons->addWidget(done);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addLayout(statusRow);
    layout->addLayout(buttons);

    connect(portGroup, &QButtonGroup::idClicked, this, &FrmConnect::choosePort);
    connect(rateGroup, &QButtonGroup::idClicked, this, [this](int id) {
        m_portSettings = QString::fromLatin1(id == 0 ? kLine0 : kLine1);
    });
    connect(m_ckAutoReConnect, &QCheckBox::toggled, this, [this](bool on) { m_ctx.search->autoReConnect = on; });
    connect(ok, &QPushButton::clicked, this, &FrmConnect::tryAgain);
    connect(offline, &QPushButton::clicked, this, [this] {
        m_ctx.search->cancel();
        hideWindow();
    });
    connect(done, &QPushButton::clicked, this, &ChildWindow::hideWindow);
    connect(bind, &QPushButton::clicked, this, [this] { bindDevice(m_cboDevice->device()); });
    // The trouble is found inside the search's tick: told after it, so that the search goes on while it is read.
    connect(m_ctx.link, &Link::portTroubleFound, this, &FrmConnect::showTrouble, Qt::QueuedConnection);
    connect(m_ctx.link, &Link::indicatorChanged, this, &FrmConnect::setIndicator);
    connect(m_ctx.search, &ConnectionSearch::found, this, [this] { setStatus(connectedText()); });
    connect(m_ctx.search, &ConnectionSearch::countChanged, this, [this] { setStatus(searchingText()); });
    connect(m_ctx.search, &ConnectionSearch::gaveUp, this, [this] {
        m_ctx.windows->show<FrmTimedOut>();
        setStatus(timedOutText());
    });
    m_ctx.search->autoReConnect = m_ckAutoReConnect->isChecked();
    setIndicator(m_ctx.link->indicatorGreen());
}

QString FrmConnect::timedOutText() {
    return QStringLiteral("Unable to connect to monitor. Make sure the") +
           QStringLiteral(" monitor is connected and turned on, then click OK to") +
           QStringLiteral(" try again, Offline to work without a monitor, or Exit to") +
           QStringLiteral(" quit the application.");
}

QString FrmConnect::searchingText() const {
    return QStringLiteral("Trying port ") + QString::number(m_ctx.commPort) + QStringLiteral(" at ") + m_portSettings;
}

QString FrmConnect::selectedLineSettings() const {
    return QString::fromLatin1(m_optBaudRate[0]->isChecked() ? kLine0 : kLine1);
}

void FrmConnect::setStatus(const QString& text) { m_lbl1->setText(text); }

QString FrmConnect::status() const { return m_lbl1->text(); }

void FrmConnect::setIndicator(bool green) {
    m_btnInd->setStyleSheet(green ? QStringLiteral("background-color: rgb(0, 255, 0);")
                                  : QStringLiteral("background-color: rgb(255, 0, 0);"));
    m_btnInd->setProperty("indicatorGreen", green);
}

void FrmConnect::refreshDevice() {
    const int port = m_ctx.commPort;
    const QString device = m_ctx.portMap->device(port);
    m_lblDevice->setText(QStringLiteral("Com%1 uses %2").arg(port).arg(device));
    m_cboDevice->showDevice(device);
}

void FrmConnect::load() {
    m_ctx.link->setIndicatorGreen(false);
    m_portSettings = selectedLineSettings();
    setStatus(searchingText());
    // A port number outside 1-4 selects no option.
    m_portGroup->setExclusive(false);
    for (int i = 0; i < 4; ++i)
        m_optCommPort[i]->setChecked(m_ctx.commPort == i + 1);
    m_portGroup->setExclusive(true);
    refreshDevice();
    if (m_ctx.link->openPort(m_ctx.commPort, m_portSettings))
        showSearch();
}

void FrmConnect::choosePort(int index) {
    if (index + 1 == m_ctx.commPort)
        return;
    const QString settings = selectedLineSettings();
    m_ctx.commPort = index + 1;
    refreshDevice();
    openAndSearch(settings);
}

void FrmConnect::openAndSearch(const QString& lineSettings) {
    if (m_ctx.link->openPort(m_ctx.commPort, lineSettings)) {
        showSearch();
        return;
    }
    const QString error = QStringLiteral("Comm Port Error  on Com") + QString::number(m_ctx.commPort) +
                          QStringLiteral(" -> try another port");
    const QString trouble = m_ctx.link->portTrouble();
    m_ctx.dialogs->message(this, trouble.isEmpty() ? error : error + QStringLiteral("\n\n") + trouble, QString(),
                           Dialogs::Ok, Dialogs::Critical);
}

void FrmConnect::explainStartTrouble() {
    if (!m_ctx.port->isOpen())
        showTrouble(m_ctx.link->portTrouble());
}

void FrmConnect::showTrouble(const QString& trouble) {
    if (!trouble.isEmpty())
        m_ctx.dialogs->message(this, trouble, QStringLiteral("Com%1").arg(m_ctx.commPort), Dialogs::Ok,
                               Dialogs::Warning);
}

void FrmConnect::bindDevice(const QString& device) {
    const QString trimmed = device.trimmed();
    if (trimmed.isEmpty())
        return;
    m_ctx.portMap->setDevice(m_ctx.commPort, trimmed);
    refreshDevice();
    openAndSearch(selectedLineSettings());
}

void FrmConnect::tryAgain() { showSearch(); }

void FrmConnect::showSearch() {
    FrmTrying* trying = m_ctx.windows->window<FrmTrying>();
    trying->showInFront();
}

void FrmConnect::hideConnectionWindows() {
    if (FrmTrying* trying = m_ctx.windows->existing<FrmTrying>()) {
        m_ctx.search->stop();
        trying->hideWindow();
    }
    hideWindow();
}
