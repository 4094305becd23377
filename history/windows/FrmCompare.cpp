#include "history/windows/FrmCompare.h"

#include "history/ChangeRecorder.h"
#include "history/SnapshotModel.h"
#include "model/MonitorModel.h"
#include "model/windows/DataFileCommands.h"
#include "model/windows/WindowParts.h"
#include "platform/Dialogs.h"
#include "ui/AppContext.h"

#include <algorithm>

#include <QCheckBox>
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
    // The value's name takes the width the numbers leave; each row is one line high.
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_onlyDifferences = new QCheckBox(QStringLiteral("Only differences"), this);
    m_onlyDifferences->setObjectName(QStringLiteral("ckOnlyDifferences"));
    m_onlyDifferences->setToolTip(QStringLiteral("Hide the values on which every column agrees"));
    connect(m_onlyDifferences, &QCheckBox::toggled, this, &FrmCompare::showOnlyDifferences);
    m_summary = label(this, QStringLiteral("lblSummary"), QString());
    QPushButton* file = button(this, QStringLiteral("btnDataFile"), QStringLiteral("Data File ..."),
                               QStringLiteral("Add a monitor data file as a third column"));
    connect(file, &QPushButton::clicked, this, &FrmCompare::chooseDataFile);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_summary);
    QBoxLayout* buttons = buttonRow(
        {file, dismissButton(this, QStringLiteral("btnDone"), QStringLiteral("Done"), QStringLiteral("Close Window"))});
    buttons->insertWidget(0, m_onlyDifferences);
    layout->addLayout(buttons);
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
    // The values that differ come first, each part in its scan set's order.
    QVector<SnapshotModel::Difference> cells = SnapshotModel::compare({now, m_snapshot, m_file});
    std::stable_partition(cells.begin(), cells.end(), [](const SnapshotModel::Difference& d) { return d.differs(); });
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
            item->setData(Qt::UserRole, differs);
            if (differs) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
                item->setBackground(QColor(255, 220, 160));
            }
            m_table->setItem(r, c, item);
        }
    }
    showOnlyDifferences();
    m_summary->setText(QStringLiteral("%1 of %2 values differ.").arg(m_differences).arg(cells.size()));
}

void FrmCompare::showOnlyDifferences() {
    const bool only = m_onlyDifferences->isChecked();
    for (int r = 0; r < m_table->rowCount(); ++r) {
        const QTableWidgetItem* item = m_table->item(r, 0);
        m_table->setRowHidden(r, only && item && !item->data(Qt::UserRole).toBool());
    }
}
