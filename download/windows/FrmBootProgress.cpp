#include "download/windows/FrmBootProgress.h"

#include "ui/AppContext.h"
#include "download/DownloadEngine.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

FrmBootProgress::FrmBootProgress(AppContext& ctx)
    : ChildWindow(ctx, QStringLiteral("frmBootProgress"), QStringLiteral("Download Progress")),
      m_gauge(new QProgressBar(this)), m_retryLabel(new QLabel(QStringLiteral("Retries:"), this)),
      m_waitLabel(new QLabel(this)) {
    m_waitLabel->setObjectName(QStringLiteral("lblWaiting"));
    m_gauge->setObjectName(QStringLiteral("Gauge1"));
    m_gauge->setRange(0, 100);
    m_gauge->setValue(0);
    m_gauge->setOrientation(Qt::Horizontal);
    m_retryLabel->setObjectName(QStringLiteral("RetryLabel"));
    auto* abort = new QPushButton(QStringLiteral("Abort"), this);
    abort->setObjectName(QStringLiteral("BootAbortButton"));
    abort->setToolTip(QStringLiteral("Discontinue Downloading"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_waitLabel);
    layout->addWidget(m_gauge);
    layout->addWidget(m_retryLabel);
    layout->addWidget(abort, 0, Qt::AlignRight);
    DownloadEngine* engine = ctx.download;
    connect(abort, &QPushButton::clicked, this, [engine] { engine->requestAbort(); });
}

void FrmBootProgress::setGauge(int percent) {
    m_gauge->setValue(percent);
    // The next record may follow before the event loop paints: the gauge must not lag behind.
    repaint();
}

void FrmBootProgress::setRetryText(const QString& text) {
    m_retryLabel->setText(text);
}

void FrmBootProgress::setStartWait(const QString& what, int seconds) {
    m_waitLabel->setText(what.isEmpty() ? QString() : QStringLiteral("%1 %2 s").arg(what).arg(seconds));
}
