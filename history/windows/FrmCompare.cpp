#include "history/windows/FrmCompare.h"

#include "history/ChangeRecorder.h"
#include "history/SnapshotModel.h"
#include "model/MonitorModel.h"
#include "model/windows/DataFileCommands.h"
#include "model/windows/WindowParts.h"
#include "platform/Dialogs.h"
#include "ui/AppContext.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const QStringList columns = {QStringLiteral("Scan Set"), QStringLiteral("Value"), QStringLiteral("Monitor Now"),
                             QStringLiteral("Snapshot"), QStringLiteral("Data File")};
} // namespace

FrmCompare::FrmCompare(AppContext& ctx) : ChildWindow(ctx, QStringLiteral("frmCompare"), QStringLiteral("Compare")) {
    using namespace WindowParts;
    m_table = new QTableWidget(0, int(columns.size()), this);
    m_table->setObjectName(QStringLiteral("tblCompare"));
    m_table->setHorizontalHeaderLabels(columns);
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setMinimumSize(layoutPixels(7200), layoutPixels(4800));
    m_summary = label(this, QStringLiteral("lblSummary"), QString());
    QPushButton* file = button(this, QStringLiteral("btnDataFile"), QStringLiteral("Data File ..."),
                               QStringLiteral("Add a monitor data file as a third column"));
    connect(file, &QPushButton::clicked, this, &FrmCompare::chooseDataFile);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_summary);
    layout->addLayout(buttonRow({file, dismissButton(this, QStringLiteral("btnDone"), QStringLiteral("Done"),
                                                     QStringLiteral("Close Window"))}));
}

void FrmCompare::onActivated() {
    fitFrame();
    refresh();
}

void FrmCompare::compareWith(const HistorySnapshot& snapshot) {
    m_snapshot = snapshot;
    refresh();
}

void FrmCompare::chooseDataFile() {
    Dialogs::FileRequest request;
    request.title = windowTitle();
    request.filter = DataFileCommands::dialogFilter(DataFileCommands::openFilterText());
    request.startDir = m_ctx.fileSaveInitDir;
    request.mustExist = true;
    request.overwritePrompt = false;
    const QString path = m_ctx.dialogs->openFile(this, request);
    if (path.isEmpty())
        return;
    QString error;
    HistorySnapshot file;
    if (!SnapshotModel::fromDataFile(path, &file, &error)) {
        m_ctx.dialogs->message(this, error, windowTitle(), Dialogs::Ok, Dialogs::Warning);
        return;
    }
    m_file = file;
    refresh();
}

void FrmCompare::refresh() {
    // Only while a monitor answers, and only the values it reported, stand for the monitor now.
    HistorySnapshot now;
    if (m_ctx.model->monitorResponding && m_ctx.recorder)
        now = m_ctx.recorder->monitorNow(m_snapshot.scanSets);
    const QVector<SnapshotModel::Difference> cells = SnapshotModel::compare({now, m_snapshot, m_file});
    m_table->setRowCount(int(cells.size()));
    m_differences = 0;
    for (int r = 0; r < cells.size(); ++r) {
        const SnapshotModel::Difference& d = cells[r];
        const bool differs = d.differs();
        m_differences += differs ? 1 : 0;
        QStringList texts{QString::number(d.scanSet + 1), d.name};
        for (int i = 0; i < 3; ++i)
            texts << (d.has[i] ? QString::number(d.values[i]) : QString());
        for (int c = 0; c < texts.size(); ++c) {
            auto* item = new QTableWidgetItem(texts[c]);
            if (differs) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
                item->setBackground(QColor(255, 220, 160));
            }
            m_table->setItem(r, c, item);
        }
    }
    m_table->resizeColumnsToContents();
    m_summary->setText(QStringLiteral("%1 of %2 values differ.").arg(m_differences).arg(cells.size()));
}
