#include "history/windows/FrmHistory.h"

#include "history/ChangeRecorder.h"
#include "history/HistoryStore.h"
#include "history/SnapshotModel.h"
#include "history/windows/FrmCompare.h"
#include "model/FileWriteBack.h"
#include "model/MonitorModel.h"
#include "model/windows/DataFileCommands.h"
#include "model/windows/WindowParts.h"
#include "platform/Dialogs.h"
#include "platform/FileReplace.h"
#include "ui/AppContext.h"
#include "ui/WindowRegistry.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int idRole = Qt::UserRole;
constexpr int kindRole = Qt::UserRole + 1;
const QString snapshotKind = QStringLiteral("snapshot");

QString timeText(const QDateTime& t) {
    return t.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString setsText(const QVector<int>& sets) {
    QStringList out;
    for (int s : sets)
        out << QString::number(s + 1);
    return out.join(QStringLiteral(", "));
}

// Long texts (a write-back's summary) are cut to their column; the whole text is the item's tip.
template <class Parent>
QTreeWidgetItem* item(Parent* parent, const QStringList& texts, const QString& kind = QString(),
                      const QString& id = QString()) {
    auto* i = new QTreeWidgetItem(parent, texts);
    for (int c = 0; c < texts.size(); ++c)
        i->setToolTip(c, texts[c]);
    i->setData(0, kindRole, kind);
    i->setData(0, idRole, id);
    return i;
}

enum Column { When, What, Old, New, From };

} // namespace

FrmHistory::FrmHistory(AppContext& ctx) : ChildWindow(ctx, QStringLiteral("frmHistory"), QStringLiteral("History")) {
    using namespace WindowParts;
    m_monitors = new QListWidget(this);
    m_monitors->setObjectName(QStringLiteral("lstMonitors"));
    m_monitors->setMinimumSize(layoutPixels(2600), layoutPixels(3600));
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("tvwHistory"));
    m_tree->setHeaderLabels({QStringLiteral("When"), QStringLiteral("What"), QStringLiteral("Old"),
                             QStringLiteral("New"), QStringLiteral("From")});
    m_tree->setMinimumSize(layoutPixels(7800), layoutPixels(3600));
    // The columns share the tree's width, so that it needs no horizontal scroll bar: the times and sources as
    // wide as they are, the values a number's width, the description the rest.
    QHeaderView* header = m_tree->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(What, QHeaderView::Stretch);
    for (int c : {Old, New}) {
        header->setSectionResizeMode(c, QHeaderView::Fixed);
        header->resizeSection(c, fontMetrics().horizontalAdvance(QStringLiteral("00000000")));
    }

    m_compare = button(this, QStringLiteral("btnCompare"), QStringLiteral("Compare"),
                       QStringLiteral("The monitor now, the snapshot and a data file side by side"));
    m_restore = button(this, QStringLiteral("btnRestore"), QStringLiteral("Restore"),
                       QStringLiteral("Write the snapshot's values back to the monitor"));
    m_exportCsv = button(this, QStringLiteral("btnExportCsv"), QStringLiteral("Save History ..."),
                         QStringLiteral("Save the monitor's history as CSV"));
    m_exportSnapshot = button(this, QStringLiteral("btnExportSnapshot"), QStringLiteral("Save Snapshot ..."),
                              QStringLiteral("Save the snapshot as a monitor data file"));
    connect(m_compare, &QPushButton::clicked, this, &FrmHistory::compare);
    connect(m_restore, &QPushButton::clicked, this, &FrmHistory::restore);
    connect(m_exportCsv, &QPushButton::clicked, this, &FrmHistory::exportCsv);
    connect(m_exportSnapshot, &QPushButton::clicked, this, &FrmHistory::exportSnapshot);
    connect(m_monitors, &QListWidget::currentRowChanged, this, &FrmHistory::showMonitor);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &FrmHistory::updateButtons);

    auto* lists = new QHBoxLayout;
    lists->addWidget(m_monitors);
    lists->addWidget(m_tree, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addLayout(buttonRow(
        {m_compare, m_restore, m_exportSnapshot, m_exportCsv,
         dismissButton(this, QStringLiteral("btnDone"), QStringLiteral("Done"), QStringLiteral("Close Window"))}));
    updateButtons();
}

void FrmHistory::onActivated() {
    fitFrame();
    reload();
}

void FrmHistory::reload() {
    if (!m_ctx.recorder)
        return;
    const int asked = ++m_monitorsAsked;
    m_ctx.recorder->store().monitorsLater(this, [this, asked](const QVector<HistoryMonitor>& monitors) {
        if (asked != m_monitorsAsked)
            return;
        const QString chosen =
            m_monitors->currentItem() ? m_monitors->currentItem()->data(idRole).toString() : QString();
        const QSignalBlocker quiet(m_monitors);
        m_monitors->clear();
        for (const HistoryMonitor& m : monitors) {
            auto* row = new QListWidgetItem(m.label(), m_monitors);
            row->setData(idRole, m.id);
            if (m.id == chosen)
                m_monitors->setCurrentItem(row);
        }
        if (!m_monitors->currentItem() && m_monitors->count() > 0)
            m_monitors->setCurrentRow(0);
        showMonitor();
    });
}

void FrmHistory::showMonitor() {
    QListWidgetItem* chosen = m_monitors->currentItem();
    const int asked = ++m_recordsAsked;
    if (!chosen || !m_ctx.recorder) {
        showRecords({});
        return;
    }
    m_ctx.recorder->store().monitorHistoryLater(
        chosen->data(idRole).toString(), this, [this, asked](const QVector<HistoryConnectionRecords>& records) {
            if (asked == m_recordsAsked)
                showRecords(records);
        });
}

void FrmHistory::showRecords(const QVector<HistoryConnectionRecords>& records) {
    // The item chosen stays chosen when it is listed again.
    const QTreeWidgetItem* current = m_tree->currentItem();
    const QString chosenId = current ? current->data(0, idRole).toString() : QString();
    QTreeWidgetItem* again = nullptr;
    m_tree->clear();
    m_snapshots.clear();
    for (const HistoryConnectionRecords& r : records) {
        const HistoryConnection& c = r.connection;
        QTreeWidgetItem* top = item(m_tree, {timeText(c.started), QStringLiteral("Connection on %1").arg(c.port),
                                             QString(), QString(), c.bench});
        for (const HistorySnapshot& s : r.snapshots) {
            QTreeWidgetItem* row = item(top,
                                        {timeText(s.taken), QStringLiteral("Snapshot %1: scan set(s) %2, %3 values")
                                                                .arg(s.id.left(8), setsText(s.scanSets))
                                                                .arg(s.values.size())},
                                        snapshotKind, s.id);
            m_snapshots.insert(s.id, s);
            if (!chosenId.isEmpty() && s.id == chosenId)
                again = row;
        }
        for (const HistoryChange& ch : r.changes)
            item(top, {timeText(ch.when), ch.what, ch.oldValue, ch.newValue, ch.source});
        for (const HistoryEnd& e : r.ends)
            item(top, {timeText(e.when), e.kind, QString(), QString(e.summary).replace(QLatin1Char('\n'), ' ')});
        top->setExpanded(true);
    }
    if (again)
        m_tree->setCurrentItem(again);
    updateButtons();
    emit monitorShown();
}

bool FrmHistory::chosenSnapshot(HistorySnapshot* out) const {
    const QTreeWidgetItem* chosen = m_tree->currentItem();
    if (!chosen || chosen->data(0, kindRole).toString() != snapshotKind)
        return false;
    const auto found = m_snapshots.constFind(chosen->data(0, idRole).toString());
    if (found == m_snapshots.constEnd())
        return false;
    *out = *found;
    return true;
}

void FrmHistory::setRestoreOffered(bool offered) {
    m_restoreOffered = offered;
    updateButtons();
}

void FrmHistory::updateButtons() {
    const QTreeWidgetItem* chosen = m_tree->currentItem();
    const bool snapshot = chosen && chosen->data(0, kindRole).toString() == snapshotKind;
    m_compare->setEnabled(snapshot);
    m_restore->setEnabled(snapshot && m_restoreOffered);
    m_exportSnapshot->setEnabled(snapshot);
    m_exportCsv->setEnabled(m_monitors->currentItem() != nullptr);
}

void FrmHistory::compare() {
    HistorySnapshot s;
    if (!chosenSnapshot(&s))
        return;
    FrmCompare* w = m_ctx.windows->show<FrmCompare>();
    w->compareWith(s);
}

void FrmHistory::restore() {
    HistorySnapshot s;
    if (chosenSnapshot(&s))
        emit restoreRequested(SnapshotModel::writeBackFile(s));
}

bool FrmHistory::saveAs(const QString& title, const QString& filter, const QString& proposed, const QByteArray& data) {
    Dialogs::FileRequest request;
    request.title = title;
    request.filter = filter;
    request.startDir = m_ctx.fileSaveInitDir;
    request.proposedName = proposed;
    request.overwritePrompt = true;
    const QString path = m_ctx.dialogs->saveFile(this, request);
    if (path.isEmpty())
        return false;
    const FileReplaceResult result = replaceFileContents(path, data);
    if (!result.ok)
        m_ctx.dialogs->message(
            this, QStringLiteral("%1 could not be written:\n%2").arg(QDir::toNativeSeparators(path), result.error),
            title, Dialogs::Ok, Dialogs::Critical);
    return result.ok;
}

void FrmHistory::exportCsv() {
    QListWidgetItem* chosen = m_monitors->currentItem();
    if (!chosen || !m_ctx.recorder)
        return;
    const QString id = chosen->data(idRole).toString();
    m_exportCsv->setEnabled(false);
    m_ctx.recorder->store().historyCsvLater(id, this, [this, id](const QString& csv) {
        updateButtons();
        saveAs(QStringLiteral("Save History"), QStringLiteral("CSV files (*.csv)"),
               QStringLiteral("history-%1.csv").arg(QString(id).replace(QRegularExpression("[^A-Za-z0-9.-]"), "_")),
               csv.toUtf8());
    });
}

void FrmHistory::exportSnapshot() {
    HistorySnapshot s;
    if (chosenSnapshot(&s))
        saveAs(QStringLiteral("Save Snapshot"), DataFileCommands::dialogFilter(DataFileCommands::saveFilterText()),
               QStringLiteral("snapshot-%1").arg(s.id.left(8)) + MonitorModel::dataFileExtension,
               SnapshotModel::dataFile(s));
}
