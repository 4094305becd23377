#include "app/MainStatusBar.h"

#include "app/FrmMain.h"
#include "download/DownloadEngine.h"
#include "link/Link.h"
#include "model/FileWriteBack.h"
#include "model/MonitorModel.h"
#include "model/UpdateAllData.h"
#include "platform/SerialPort.h"
#include "protocol/DataReadHandlers.h"
#include "session/MonitorSession.h"
#include "ui/AppContext.h"

#include <QLabel>
#include <QStatusBar>

MainStatusBar::MainStatusBar(AppContext& ctx, FrmMain* mainWindow, FileWriteBack* writeBack)
    : QObject(mainWindow), m_ctx(ctx), m_main(mainWindow),
      m_connection(addField(QStringLiteral("lblStatusConnection"), 0)),
      m_monitor(addField(QStringLiteral("lblStatusMonitor"), 0)), m_job(addField(QStringLiteral("lblStatusJob"), 0)),
      m_linkEvent(addField(QStringLiteral("lblStatusLinkEvent"), 1)) {
    // A monitor found again (or the demonstration chosen) ends the loss; the search it starts does not.
    connect(mainWindow, &FrmMain::connectionStateChanged, this, [this](ConnectionState state) {
        if (state != ConnectionState::NoMonitor) {
            m_lost = false;
            m_portLostWhy.clear();
        }
    });
    connect(mainWindow, &FrmMain::connectionStateChanged, this, &MainStatusBar::refresh);
    connect(mainWindow, &FrmMain::versionTextsCleared, this, &MainStatusBar::refresh);
    if (DataReadHandlers* h = ctx.handlers) {
        connect(h, &DataReadHandlers::identityRead, this, &MainStatusBar::refresh);
        connect(h, &DataReadHandlers::firmwareVersionRead, this, &MainStatusBar::refresh);
    }
    connect(ctx.link, &Link::eventLogged, m_linkEvent, &QLabel::setText);
    // Nothing the user asked for disappears unsaid.
    connect(ctx.session, &MonitorSession::settingNotApplied, m_linkEvent, [this](const QString& command, const QString& why) {
        m_linkEvent->setText(QStringLiteral("Setting %1: %2").arg(why, command));
    });
    connect(ctx.session, &MonitorSession::requestsDroppedNamed, m_linkEvent, [this](const QStringList& commands) {
        m_linkEvent->setText(QStringLiteral("Not sent (%1): %2").arg(commands.size()).arg(commands.join(QLatin1String(", "))));
    });
    connect(ctx.session, &MonitorSession::portLost, this, [this](const QString&, const QString& why) {
        m_lost = true;
        m_portLostWhy = why;
        refresh();
    });
    connect(ctx.session, &MonitorSession::connectionLost, this, [this] {
        m_lost = true;
        refresh();
    });
    if (UpdateAllData* updateAll = ctx.updateAll) {
        connect(updateAll, &UpdateAllData::stepTaken, this, &MainStatusBar::showUpdateAllStep);
        // Stopped from its menu item: the last step shown no longer goes on.
        connect(updateAll, &UpdateAllData::runningChanged, this, [this](bool running) {
            if (!running && !m_exclusiveJob)
                showJob(QStringLiteral("Update All Data stopped"));
        });
    }
    if (writeBack) {
        connect(writeBack, &FileWriteBack::progress, this, [this](int done, int total) {
            m_exclusiveJob = true;
            showJob(QStringLiteral("Writing file to monitor: %1 of %2").arg(done).arg(total));
        });
        connect(writeBack, &FileWriteBack::finished, this, [this] {
            m_exclusiveJob = false;
            showJob(QString());
        });
    }
    if (DownloadEngine* download = ctx.download) {
        connect(download, &DownloadEngine::gaugeChanged, this, [this, download](int percent) {
            m_exclusiveJob = true;
            showJob(QStringLiteral("Download: record %1 (%2%)").arg(download->recordNumber).arg(percent));
        });
        connect(download, &DownloadEngine::finished, this, [this] {
            m_exclusiveJob = false;
            showJob(QString());
        });
    }
    refresh();
}

QLabel* MainStatusBar::addField(const QString& name, int stretch) {
    auto* label = new QLabel(m_main->statusBar());
    label->setObjectName(name);
    m_main->statusBar()->addWidget(label, stretch);
    return label;
}

void MainStatusBar::refresh() {
    m_connection->setText(connectionText());
    const QString monitor = monitorText();
    m_monitor->setText(monitor);
    m_monitor->setVisible(!monitor.isEmpty());
    // Update All Data reads only while a monitor answers; its last step says nothing once it has gone.
    if (!m_ctx.model->monitorResponding && !m_exclusiveJob)
        showJob(QString());
}

QString MainStatusBar::connectionText() const {
    const QString device = m_ctx.port ? m_ctx.port->deviceName() : QString();
    switch (m_main->connectionState()) {
    case ConnectionState::Online:
        return QStringLiteral("Online on %1").arg(device);
    case ConnectionState::BootMode:
        return QStringLiteral("Boot mode on %1").arg(device);
    case ConnectionState::Demo:
        return QStringLiteral("Offline demo mode");
    case ConnectionState::NoMonitor:
        break;
    }
    if (m_lost && !m_portLostWhy.isEmpty())
        return QStringLiteral("Port %1 lost (%2): searching for the monitor").arg(device, m_portLostWhy);
    if (m_lost)
        return QStringLiteral("Connection lost on %1: searching for the monitor").arg(device);
    return device.isEmpty() ? QStringLiteral("No monitor") : QStringLiteral("No monitor on %1").arg(device);
}

QString MainStatusBar::monitorText() const {
    const MonitorModel& m = *m_ctx.model;
    if (!m.monitorResponding)
        return QString();
    QStringList parts;
    if (!m.modelNumber.trimmed().isEmpty())
        parts << QStringLiteral("Model ") + m.modelNumber.trimmed();
    if (!m.serialNumber.trimmed().isEmpty())
        parts << QStringLiteral("Serial ") + m.serialNumber.trimmed();
    if (!m.firmwareVersion.trimmed().isEmpty())
        parts << QStringLiteral("Firmware ") + m.firmwareVersion.trimmed();
    return parts.join(QStringLiteral(", "));
}

void MainStatusBar::showJob(const QString& text) {
    m_job->setText(text);
    m_job->setVisible(!text.isEmpty());
}

void MainStatusBar::showUpdateAllStep(int step, int cycle) {
    if (m_exclusiveJob || step < 0 || step > UpdateAllData::lastStep)
        return;
    showJob(
        QStringLiteral("Update All Data: step %1 of %2, cycle %3").arg(step).arg(UpdateAllData::lastStep).arg(cycle));
}
