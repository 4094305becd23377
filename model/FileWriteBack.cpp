#include "model/FileWriteBack.h"

#include "model/MonitorModel.h"
#include "platform/Clock.h"
#include "protocol/Catalogue.h"
#include "protocol/DataReadHandlers.h"
#include "protocol/Dispatcher.h"
#include "protocol/FirmwareClass.h"

#include <QSet>

#include <algorithm>

namespace {

QString scanSetList(const QVector<int>& sets) {
    QStringList numbers;
    for (int s : sets)
        numbers << QString::number(s + 1);
    return numbers.join(QStringLiteral(", "));
}

QString shown(const QString& text) {
    const QString t = text.trimmed();
    return t.isEmpty() ? QStringLiteral("(none)") : t;
}

QString familyName(int family) {
    return QString::number(family) + QStringLiteral("xx");
}

QString writeQuestion(const WriteBackFile& file) {
    return QStringLiteral("Write the adjustment values of scan set(s) %1 from the file \"%2\" to the monitor and "
                          "save them as its initial settings?")
        .arg(scanSetList(file.scanSets()), file.title);
}

bool isSaveRequest(const QString& r) {
    return r.size() == 4 && r.startsWith(QLatin1String("cd")) && r.endsWith(QLatin1Char('p'));
}

// The requests of the write, and the one that selects the tool's scan set again afterwards (may be empty).
struct Plan {
    QStringList requests;
    QString restore;
    int skipped = 0;
};

Plan planWrite(const WriteBackFile& file, const MonitorModel& monitor) {
    Plan plan;
    QHash<QString, int> values;
    auto key = [](QChar group, int dac, int set) { return QStringLiteral("%1/%2/%3").arg(group).arg(dac).arg(set); };
    for (const WriteBackFile::Value& v : file.values)
        values.insert(key(v.group, v.dac, v.scanSet), v.value);

    const QVector<FileWriteBack::Dac> dacs = FileWriteBack::writableDacs(monitor);
    for (int set : file.scanSets()) {
        if (set < 0 || set >= MonitorModel::scanSetWindowRows) {
            // The monitor keeps six scan sets; a seventh of a file has nowhere to go.
            for (const WriteBackFile::Value& v : file.values)
                plan.skipped += v.scanSet == set ? 1 : 0;
            continue;
        }
        QStringList sets;
        QVector<QChar> written;
        for (const FileWriteBack::Dac& d : dacs) {
            const auto it = values.constFind(key(d.group, d.index, set));
            if (it == values.constEnd())
                continue;
            if (*it < 0 || *it > d.max) {
                ++plan.skipped;
                continue;
            }
            sets << Catalogue::setDac(d.group, d.index, *it);
            if (!written.contains(d.group))
                written << d.group;
        }
        // A scan set with nothing this monitor takes is not selected at all.
        if (sets.isEmpty())
            continue;
        plan.requests << Catalogue::selectScanSet(set) << sets;
        // The written values become the monitor's initial (power-on) settings, as "Save Initial Settings" does.
        for (QChar g : written)
            plan.requests << Catalogue::saveDacs(g);
    }
    if (monitor.currentScanSet >= 0 && monitor.currentScanSet < MonitorModel::scanSetWindowRows)
        plan.restore = Catalogue::selectScanSet(monitor.currentScanSet);
    return plan;
}

} // namespace

QVector<int> WriteBackFile::scanSets() const {
    QVector<int> sets;
    for (const Value& v : values)
        if (!sets.contains(v.scanSet))
            sets << v.scanSet;
    std::sort(sets.begin(), sets.end());
    return sets;
}

void WriteBackFile::takeFrom(const MonitorModel& scratch) {
    modelNumber = scratch.modelNumber;
    serialNumber = scratch.serialNumber;
    firmwareClass = scratch.firmwareVersion.isEmpty() ? 0 : scratch.firmwareClass;
    counts.clear();
    for (const DacGroup* g : scratch.fileGroups())
        counts.insert(g->letter, g->count);
}

DataFileResult WriteBackFile::read(const QString& path, WriteBackFile* out) {
    // The stored versions go through the answer handlers of the scratch model only, which record them there.
    MonitorModel scratch;
    scratch.initialise();
    DataReadHandlers handlers(scratch);
    Dispatcher dispatcher(scratch, &handlers);
    DataFile file(scratch);
    file.setDispatch([&dispatcher](const QString& answer) { dispatcher.dispatchAnswer(answer); });

    QVector<Value> values;
    QVector<QPair<int, int>> linesPerSet; // scan set and its DAC lines, in file order
    QObject::connect(&file, &DataFile::dacLineLoaded, &file,
                     [&scratch, &values, &linesPerSet](QChar group, int dac, int set) {
                         if (linesPerSet.isEmpty() || linesPerSet.last().first != set)
                             linesPerSet.append({set, 0});
                         ++linesPerSet.last().second;
                         DacGroup* g = scratch.group(group);
                         int v = 0;
                         if (g && g->get(DacTable::Value, dac, set, &v))
                             values << Value{group, dac, set, v};
                     });
    file.openForReading(path);
    const DataFileResult result = file.readMdf();
    if (!result.ok)
        return result;
    out->title = scratch.fileTitle;
    out->takeFrom(scratch);
    out->values = values;
    out->scanSetsHeld = int(linesPerSet.size());
    out->valuesHeld = 0;
    for (const auto& set : linesPerSet)
        out->valuesHeld += set.second;
    out->cutScanSet = -1;
    out->cutValues = 0;
    // Only the last scan set can be cut: every earlier one was followed by the next.
    const int complete = int(DataFile::scanSetLines(scratch).size());
    if (!linesPerSet.isEmpty() && linesPerSet.last().second < complete) {
        out->cutScanSet = linesPerSet.last().first;
        out->cutValues = linesPerSet.last().second;
        if (linesPerSet.size() == 1)
            return DataFileResult::failure(
                QStringLiteral("The file \"%1\" ends within its first scan set (%2 of its %3 adjustment values): it "
                               "was cut short. Nothing was written.")
                    .arg(out->title)
                    .arg(out->cutValues)
                    .arg(complete));
        out->values.erase(std::remove_if(out->values.begin(), out->values.end(),
                                         [out](const Value& v) { return v.scanSet == out->cutScanSet; }),
                          out->values.end());
    }
    return result;
}

QString WriteBackSummary::text() const {
    QStringList lines;
    lines << QStringLiteral("Write File to Monitor: %1").arg(fileTitle);
    lines << QStringLiteral("The file holds %1 scan set(s) and %2 values.").arg(fileScanSets).arg(fileValues);
    if (cutScanSet >= 0)
        lines << QStringLiteral("The file ends within scan set %1: it was cut short, and that scan set was not "
                                "written.")
                     .arg(cutScanSet + 1);
    lines << QStringLiteral("Values written: %1").arg(valuesWritten);
    lines << QStringLiteral("Scan sets written and saved as the monitor's initial settings: %1")
                 .arg(scanSets.isEmpty() ? QStringLiteral("none") : scanSetList(scanSets));
    if (valuesUnsaved > 0)
        lines << QStringLiteral("Values of an unfinished scan set, not saved (the monitor keeps them until it is "
                                "switched off): %1")
                     .arg(valuesUnsaved);
    if (valuesSkipped > 0)
        lines << QStringLiteral("Values not sent (outside their adjustment's range): %1").arg(valuesSkipped);
    lines << (stoppedBecause.isEmpty() ? QStringLiteral("Completed.")
                                       : QStringLiteral("Stopped early: ") + stoppedBecause);
    return lines.join(QLatin1Char('\n'));
}

FileWriteBack::FileWriteBack(MonitorModel& monitor, Clock& clock, LinkAccess link, QObject* parent)
    : QObject(parent), m_monitor(monitor), m_link(std::move(link)), m_timer(clock.createTimer(this)), m_clock(clock) {
    m_timer->setInterval(pollMs);
    connect(m_timer, &Timer::timeout, this, &FileWriteBack::tick);
}

int FileWriteBack::familyOf(int firmwareClass) {
    // The family whose windows the tool sets up; a class not read yet (0) has none.
    return firmwareClass > 0 ? DataReadHandlers::familyOf(firmwareClass) : 0;
}

FileWriteBack::IdentityCheck FileWriteBack::checkIdentity(const WriteBackFile& file, const MonitorModel& monitor) {
    const int family = familyOf(monitor.firmwareClass);
    if (family == 0)
        return {Verdict::UnknownFamily,
                QStringLiteral("The connected monitor has not reported a firmware version of a known family, so "
                               "the file \"%1\" cannot be matched to it. Nothing was written.")
                    .arg(file.title)};
    if (file.firmwareClass != 0) {
        const int fileFamily = familyOf(file.firmwareClass);
        if (fileFamily != family)
            return {Verdict::OtherFamily,
                    QStringLiteral("The file \"%1\" holds the values of a monitor of firmware family %2 (class %3); "
                                   "the connected monitor is of family %4 (class %5). A family's values are never "
                                   "written into another family's adjustments. Nothing was written.")
                        .arg(file.title, fileFamily ? familyName(fileFamily) : QStringLiteral("(unknown)"))
                        .arg(file.firmwareClass)
                        .arg(familyName(family))
                        .arg(monitor.firmwareClass)};
    } else {
        // No firmware version: the DAC counts are all that tells the family.
        for (const DacGroup* g : monitor.fileGroups()) {
            const auto it = file.counts.constFind(g->letter);
            if (it != file.counts.constEnd() && *it != g->count)
                return {Verdict::OtherFamily,
                        QStringLiteral("The file \"%1\" names no firmware version, and its DAC counts differ from "
                                       "the connected monitor's (%2: %3 in the file, %4 in the monitor): it belongs "
                                       "to another monitor family. Nothing was written.")
                            .arg(file.title, g->countKey)
                            .arg(*it)
                            .arg(g->count)};
        }
    }
    if (!file.holdsIdentity())
        return {Verdict::NoIdentity,
                QStringLiteral("The file \"%1\" was saved with no monitor connected and names no monitor; its DAC "
                               "counts match the connected monitor's.\n\n")
                        .arg(file.title) +
                    writeQuestion(file)};
    const bool same = !file.modelNumber.trimmed().isEmpty() && !file.serialNumber.trimmed().isEmpty() &&
                      file.modelNumber.trimmed() == monitor.modelNumber.trimmed() &&
                      file.serialNumber.trimmed() == monitor.serialNumber.trimmed();
    if (same)
        return {Verdict::SameMonitor, writeQuestion(file)};
    return {Verdict::OtherMonitor,
            QStringLiteral("The file \"%1\" was saved from another monitor (model %2, serial %3); the connected "
                           "monitor is model %4, serial %5.\n\n")
                    .arg(file.title, shown(file.modelNumber), shown(file.serialNumber), shown(monitor.modelNumber),
                         shown(monitor.serialNumber)) +
                writeQuestion(file)};
}

QVector<FileWriteBack::Dac> FileWriteBack::writableDacs(const MonitorModel& monitor) {
    QVector<Dac> dacs;
    auto add = [&](QChar letter, int first, int last, int max) {
        const DacGroup* g = monitor.group(letter);
        for (int i = first; i <= last; ++i)
            if (g && i < g->count)
                dacs << Dac{letter, i, max};
    };
    const QChar l('l'), b('b'), h('h'), v('v'), s('s');
    const int cls = monitor.firmwareClass;
    switch (familyOf(cls)) {
    case 1:
    case 2: {
        const bool second = familyOf(cls) == 2;
        add(l, 0, 7, 255);
        // The second family's colour balance shows only the first bias row ("+80V Adjust").
        add(b, 0, second ? 0 : 1, 255);
        add(h, 0, 3, 255);
        dacs << Dac{h, MonitorModel::horizontalSCapIndex, 127};
        add(v, 0, 6, 255);
        if (second && monitor.hasNorthSouth)
            add(s, 0, 2, 63);
        if (second && monitor.hasConvergence) {
            add(QLatin1Char('a'), 0, 3, 255);
            for (char g : {'d', 'i', 'e', 'k', 'g'})
                add(QLatin1Char(g), 0, 3, 63);
        }
        break;
    }
    case 3:
        // Only classes 315 and 316 offer colour balance: gains and offsets.
        if (FirmwareClass::hasColourBalancePanel(cls))
            add(l, 2, 7, 255);
        break;
    case 4:
        // Brightness and contrast.
        add(l, 0, 1, 255);
        break;
    default:
        break;
    }
    return dacs;
}

QStringList FileWriteBack::writeRequests(const WriteBackFile& file, const MonitorModel& monitor, int* skipped) {
    const Plan plan = planWrite(file, monitor);
    if (skipped)
        *skipped = plan.skipped;
    QStringList all = plan.requests;
    if (!plan.restore.isEmpty())
        all << plan.restore;
    return all;
}

bool FileWriteBack::start(const WriteBackFile& file) {
    if (isRunning())
        return false;
    m_file = file;
    m_summary = WriteBackSummary();
    m_summary.fileTitle = file.title;
    m_summary.fileScanSets = file.scanSetsHeld;
    m_summary.fileValues = file.valuesHeld;
    m_summary.cutScanSet = file.cutScanSet;
    m_cancelled = false;
    m_awaiting = false;
    m_requests.clear();
    if (m_monitor.firmwareClass == 0)
        m_requests << Catalogue::readFirmwareVersion();
    if (file.holdsIdentity() && m_monitor.modelNumber.isEmpty())
        m_requests << Catalogue::readPartNumber(QLatin1Char('s'));
    if (file.holdsIdentity() && m_monitor.serialNumber.isEmpty())
        m_requests << Catalogue::readSerialNumber(QLatin1Char('s'));
    m_next = 0;
    m_phase = Phase::Identify;
    m_timer->start(pollMs);
    if (m_requests.isEmpty())
        beginWrite();
    else
        sendNext();
    return true;
}

void FileWriteBack::cancel() {
    if (isRunning())
        m_cancelled = true;
}

void FileWriteBack::sendNext() {
    const QString request = m_next < m_requests.size() ? m_requests.at(m_next) : m_restoreRequest;
    m_awaiting = true;
    m_sentAt = m_clock.nowMs();
    if (m_link.send)
        m_link.send(request);
}

void FileWriteBack::beginWrite() {
    // No ticks while the user is asked: a modal question runs the event loop.
    m_timer->stop();
    const IdentityCheck check = checkIdentity(m_file, m_monitor);
    if (check.refused()) {
        m_summary.declined = true;
        finish(check.message);
        return;
    }
    Plan plan = planWrite(m_file, m_monitor);
    m_summary.valuesSkipped = plan.skipped;
    const bool anyValue = std::any_of(plan.requests.cbegin(), plan.requests.cend(), [](const QString& r) {
        return r.startsWith(QLatin1String("cd")) && !isSaveRequest(r);
    });
    if (!anyValue) {
        m_summary.declined = true;
        finish(QStringLiteral("The file \"%1\" holds no value that this monitor's adjustment windows set. Nothing "
                              "was written.")
                   .arg(m_file.title));
        return;
    }
    if (m_confirm && !m_confirm(check.message)) {
        m_summary.declined = true;
        finish(QString());
        return;
    }
    m_phase = Phase::Prepare;
    // The progress window comes now, with its Cancel, while what the write replaces is read.
    m_total = int(plan.requests.size()) + (plan.restore.isEmpty() ? 0 : 1);
    emit progress(0, m_total);
    if (!m_beforeWrite) {
        startWriting(plan.requests, plan.restore);
        return;
    }
    m_beforeWrite([this, requests = plan.requests, restore = plan.restore] { startWriting(requests, restore); });
}

void FileWriteBack::startWriting(const QStringList& requests, const QString& restoreRequest) {
    if (m_phase != Phase::Prepare)
        return;
    // The monitor may have gone while the user was asked (or the values read).
    if (!m_monitor.monitorResponding) {
        finish(QStringLiteral("the connection to the monitor was lost."));
        return;
    }
    if (m_cancelled) {
        finish(QStringLiteral("cancelled by the user."));
        return;
    }
    m_requests = requests;
    m_restoreRequest = restoreRequest;
    m_next = 0;
    m_currentScanSet = -1;
    m_phase = Phase::Write;
    m_timer->start(pollMs);
    sendNext();
}

void FileWriteBack::noteAnswered(const QString& request) {
    if (m_phase == Phase::Restore)
        return;
    if (request.startsWith(QLatin1String("CC"))) {
        m_currentScanSet = request.mid(2).toInt();
    } else if (!isSaveRequest(request)) {
        ++m_summary.valuesWritten;
        ++m_summary.valuesUnsaved;
    }
    // A scan set is written once its last request, a save, is answered (the next "CC" follows, or the list ends).
    const bool setEnds = m_next + 1 >= m_requests.size() || m_requests.at(m_next + 1).startsWith(QLatin1String("CC"));
    if (setEnds && m_currentScanSet >= 0 && !m_summary.scanSets.contains(m_currentScanSet)) {
        m_summary.scanSets << m_currentScanSet;
        m_summary.valuesUnsaved = 0;
    }
}

void FileWriteBack::tick() {
    if (m_phase == Phase::Idle)
        return;
    const QString lost = QStringLiteral("the connection to the monitor was lost.");
    if (m_awaiting) {
        if (!m_link.idle || !m_link.idle()) {
            if (!m_monitor.monitorResponding)
                finish(lost);
            else if (m_clock.nowMs() - m_sentAt >= silenceMs)
                finish(QStringLiteral("the monitor stopped answering."));
            return;
        }
        m_awaiting = false;
        switch (m_phase) {
        case Phase::Identify:
            ++m_next;
            break;
        case Phase::Write:
            noteAnswered(m_requests.at(m_next));
            ++m_next;
            emit progress(m_next, m_total);
            break;
        case Phase::Restore:
            emit progress(m_total, m_total);
            finish(m_cancelled ? QStringLiteral("cancelled by the user.") : QString());
            return;
        case Phase::Idle:
        case Phase::Prepare:
            return;
        }
    }
    if (!m_monitor.monitorResponding) {
        finish(lost);
        return;
    }
    switch (m_phase) {
    case Phase::Identify:
        if (m_cancelled) {
            m_summary.declined = true;
            finish(QString());
        } else if (m_next < m_requests.size()) {
            sendNext();
        } else {
            beginWrite();
        }
        break;
    case Phase::Write:
        if (m_next < m_requests.size() && !m_cancelled) {
            sendNext();
        } else if (!m_restoreRequest.isEmpty()) {
            m_phase = Phase::Restore;
            m_next = int(m_requests.size());
            sendNext();
        } else {
            finish(m_cancelled ? QStringLiteral("cancelled by the user.") : QString());
        }
        break;
    default:
        break;
    }
}

void FileWriteBack::finish(const QString& stoppedBecause) {
    m_timer->stop();
    m_phase = Phase::Idle;
    m_awaiting = false;
    m_summary.stoppedBecause = stoppedBecause;
    emit finished(m_summary);
}
