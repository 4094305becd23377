#include "model/windows/FrmWriteBack.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

FrmWriteBack::FrmWriteBack(AppContext& ctx)
    : ChildWindow(ctx, QStringLiteral("frmWriteBack"), QStringLiteral("Write File to Monitor")),
      m_file(new QLabel(this)), m_status(new QLabel(this)), m_gauge(new QProgressBar(this)),
      m_cancel(new QPushButton(QStringLiteral("Cancel"), this)) {
    setHideOnClose(true);
    m_file->setObjectName(QStringLiteral("lblWriteBackFile"));
    m_status->setObjectName(QStringLiteral("lblWriteBackStatus"));
    m_gauge->setObjectName(QStringLiteral("gaugeWriteBack"));
    m_cancel->setObjectName(QStringLiteral("btnCancel"));
    m_cancel->setToolTip(QStringLiteral("Stop after the request on the line; the scan set selected before is "
                                        "selected again"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_file);
    layout->addWidget(m_gauge);
    layout->addWidget(m_status);
    layout->addWidget(m_cancel, 0, Qt::AlignRight);
    connect(m_cancel, &QPushButton::clicked, this, &FrmWriteBack::onClosedToHidden);
}

void FrmWriteBack::onClosedToHidden() {
    if (!m_cancel->isEnabled())
        return;
    m_cancel->setEnabled(false);
    m_status->setText(QStringLiteral("Cancelling ..."));
    emit cancelRequested();
}

void FrmWriteBack::begin(const QString& fileTitle) {
    m_file->setText(QStringLiteral("Writing %1 to the monitor").arg(fileTitle));
    m_status->clear();
    m_gauge->setRange(0, 1);
    m_gauge->setValue(0);
    m_cancel->setEnabled(true);
}

void FrmWriteBack::setProgress(int done, int total) {
    m_gauge->setRange(0, total > 0 ? total : 1);
    m_gauge->setValue(done);
    if (m_cancel->isEnabled())
        m_status->setText(QStringLiteral("%1 of %2 requests answered").arg(done).arg(total));
}
