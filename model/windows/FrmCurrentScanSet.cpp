#include "model/windows/FrmCurrentScanSet.h"

#include "model/MonitorModel.h"
#include "protocol/Catalogue.h"
#include "ui/AppContext.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

FrmCurrentScanSet::FrmCurrentScanSet(AppContext& ctx, QWidget* parent)
    : ChildWindow(ctx, QStringLiteral("frmCurrentScanSet"), QStringLiteral("Current Scan Set"), parent) {
    auto* grid = new QGridLayout(this);
    const struct {
        const char* fixed;
        const char* text;
        const char* value;
    } rows[] = {{"Label1", "Scan Set Number:", "lblScanNumber"},
                {"Label2", "Scan Set Name:", "lblScanName"},
                {"Label3", "Nominal H Freq:", "lblScanHFreq"},
                {"Label4", "Nominal V Freq:", "lblScanVFreq"}};
    int r = 0;
    for (const auto& row : rows) {
        auto* fixed = new QLabel(QString::fromLatin1(row.text), this);
        fixed->setObjectName(QString::fromLatin1(row.fixed));
        auto* value = new QLabel(this);
        value->setObjectName(QString::fromLatin1(row.value));
        grid->addWidget(fixed, r, 0, Qt::AlignRight);
        grid->addWidget(value, r, 1);
        ++r;
    }
    grid->setColumnStretch(1, 1);
    m_number = findChild<QLabel*>(QStringLiteral("lblScanNumber"));
    m_name = findChild<QLabel*>(QStringLiteral("lblScanName"));
    m_hFreq = findChild<QLabel*>(QStringLiteral("lblScanHFreq"));
    m_vFreq = findChild<QLabel*>(QStringLiteral("lblScanVFreq"));
    auto* done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("btnDone"));
    grid->addWidget(done, r, 1, Qt::AlignRight);
    connect(done, &QPushButton::clicked, this, &ChildWindow::hideWindow);
}

void FrmCurrentScanSet::onActivated() {
    if (m_ctx.model->monitorResponding)
        m_ctx.send(Catalogue::readCurrentScanSet());
}

void FrmCurrentScanSet::showNumber(int number) {
    m_number->setText(QString::number(number));
}

void FrmCurrentScanSet::showName(const QString& name) {
    m_name->setText(name);
}

void FrmCurrentScanSet::showFrequencies(const QString& horizontal, const QString& vertical) {
    m_hFreq->setText(horizontal);
    m_vFreq->setText(vertical);
}
