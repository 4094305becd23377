#include "model/DataFile.h"

#include "model/MonitorModel.h"
#include "platform/FileReplace.h"
#include "protocol/FirmwareClass.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringList>

#include <cmath>
#include <limits>

namespace {

const QByteArray lineEnd = QByteArrayLiteral("\r\n");

// Run-time error numbers and texts of the general read error.
struct ReadError {
    int number;
    const char* description;
};
constexpr ReadError overflowError{6, "Overflow"};
constexpr ReadError subscriptError{9, "Subscript out of range"};
constexpr ReadError lineTooLongError{14, "Out of string space"};
constexpr ReadError typeMismatchError{13, "Type mismatch"};
constexpr ReadError fileNotFoundError{53, "File not found"};
constexpr ReadError pastEndError{62, "Input past end of file"};
constexpr ReadError accessError{75, "Path/File access error"};

// Items quoted in messages are cut short: a line of garbage must not become a message box of megabytes.
constexpr int maxQuotedItem = 200;

QString quoted(const QString& item) {
    return item.size() > maxQuotedItem ? item.left(maxQuotedItem) + QStringLiteral("...") : item;
}

QString generalError(const ReadError& e) {
    return QStringLiteral("In ReadMDF, Error # %1: %2").arg(e.number).arg(QLatin1String(e.description));
}

bool isItemBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

QString trimBlanks(const QString& s) {
    int begin = 0;
    int end = s.size();
    while (begin < end && isBlank(s.at(begin)))
        ++begin;
    while (end > begin && isBlank(s.at(end - 1)))
        --end;
    return s.mid(begin, end - begin);
}

// Removes the line end that an identity answer may leave at the end of its value.
QString withoutTrailingLineEnd(QString s) {
    while (!s.isEmpty() && (s.back() == QLatin1Char('\r') || s.back() == QLatin1Char('\n')))
        s.chop(1);
    return s;
}

// A text item: inside double quotes, which the format cannot escape, and on one line.
QByteArray textItem(const QString& text) {
    QString s = withoutTrailingLineEnd(text);
    s.replace(QLatin1Char('"'), QLatin1Char('\''));
    s.replace(QLatin1Char('\r'), QLatin1Char(' '));
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return '"' + s.toLatin1() + '"';
}

QByteArray numberItem(int n) {
    return QByteArray::number(n);
}

// Splits one line (without its line end) into items: a quoted item runs to the next double quote and anything
// after it up to the comma is dropped; an unquoted item runs to the comma, without its surrounding blanks.
QStringList splitItems(const QString& line) {
    QStringList items;
    const int n = line.size();
    int i = 0;
    for (;;) {
        while (i < n && isItemBlank(line.at(i)))
            ++i;
        QString item;
        if (i < n && line.at(i) == QLatin1Char('"')) {
            const int close = line.indexOf(QLatin1Char('"'), i + 1);
            if (close < 0) {
                item = line.mid(i + 1);
                i = n;
            } else {
                item = line.mid(i + 1, close - i - 1);
                const int comma = line.indexOf(QLatin1Char(','), close + 1);
                i = comma < 0 ? n : comma;
            }
        } else {
            const int comma = line.indexOf(QLatin1Char(','), i);
            const int end = comma < 0 ? n : comma;
            int last = end;
            while (last > i && isItemBlank(line.at(last - 1)))
                --last;
            item = line.mid(i, last - i);
            i = end;
        }
        items.append(item);
        if (i >= n)
            break;
        ++i; // past the comma; a comma at the end leaves one more, empty item
        if (i >= n) {
            items.append(QString());
            break;
        }
    }
    return items;
}

// A number item as a signed 16-bit integer.
bool parseNumberItem(const QString& item, int* out, const ReadError** error) {
    const QString s = trimBlanks(item);
    int i = 0;
    bool negative = false;
    if (i < s.size() && (s.at(i) == QLatin1Char('-') || s.at(i) == QLatin1Char('+'))) {
        negative = s.at(i) == QLatin1Char('-');
        ++i;
    }
    if (i >= s.size()) {
        *error = &typeMismatchError;
        return false;
    }
    qint64 value = 0;
    for (; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            *error = &typeMismatchError;
            return false;
        }
        if (value <= 100000)
            value = value * 10 + (c.unicode() - '0');
    }
    if (negative)
        value = -value;
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max()) {
        *error = &overflowError;
        return false;
    }
    *out = static_cast<int>(value);
    return true;
}

// The numeric value of a text (leading number, 0 when there is none), rounded to a signed 16-bit integer.
bool numericValue16(const QString& text, int* out) {
    const QString s = trimBlanks(text);
    int i = 0;
    if (i < s.size() && (s.at(i) == QLatin1Char('-') || s.at(i) == QLatin1Char('+')))
        ++i;
    while (i < s.size() && s.at(i) >= QLatin1Char('0') && s.at(i) <= QLatin1Char('9'))
        ++i;
    if (i < s.size() && s.at(i) == QLatin1Char('.')) {
        ++i;
        while (i < s.size() && s.at(i) >= QLatin1Char('0') && s.at(i) <= QLatin1Char('9'))
            ++i;
    }
    bool ok = false;
    const double v = s.left(i).toDouble(&ok);
    const double rounded = ok ? std::nearbyint(v) : 0.0;
    if (rounded < std::numeric_limits<qint16>::min() || rounded > std::numeric_limits<qint16>::max())
        return false;
    *out = static_cast<int>(rounded);
    return true;
}

// Reads the file a line at a time into a buffer that grows with the line (and is kept for the next one); a line
// longer than the limit is reported instead of being held in memory.
class LineReader {
public:
    explicit LineReader(QFile& file) : m_file(file) {}
    // False at the end of the file.
    bool next(QString* line, bool* tooLong) {
        *tooLong = false;
        if (m_file.atEnd())
            return false;
        m_bytes.resize(0);
        char chunk[4096];
        for (;;) {
            const qint64 n = m_file.readLine(chunk, sizeof chunk);
            if (n <= 0)
                break;
            m_bytes.append(chunk, n);
            if (m_bytes.endsWith('\n'))
                break;
            // Room for the line end beyond the limit; anything more is too long, whatever follows.
            if (m_bytes.size() > DataFile::maxLineLength + 1) {
                *tooLong = true;
                return true;
            }
        }
        qsizetype length = m_bytes.size();
        if (length > 0 && m_bytes.at(length - 1) == '\n')
            --length;
        if (length > 0 && m_bytes.at(length - 1) == '\r')
            --length;
        if (length > DataFile::maxLineLength) {
            *tooLong = true;
            return true;
        }
        *line = QString::fromLatin1(m_bytes.constData(), length);
        return true;
    }

private:
    QFile& m_file;
    QByteArray m_bytes;
};

struct IdentityKey {
    const char* key;     // as the reader compares it
    const char* written; // as the writer writes it
    QString MonitorModel::*field;
    char board;
    bool serial;
};

// In the order the writer writes them.
const IdentityKey identityKeys[] = {
    {"Model Number:", "Model Number: ", &MonitorModel::modelNumber, 'S', false},
    {"Serial Number:", "Serial Number: ", &MonitorModel::serialNumber, 'S', true},
    {"Part Number:", "Part Number: ", &MonitorModel::partNumber, 'U', false},
    {"CRT Serial Number:", "CRT Serial Number: ", &MonitorModel::crtSerialNumber, 'T', true},
    {"CRT Part Number:", "CRT Part Number: ", &MonitorModel::crtPartNumber, 'T', false},
};

} // namespace

DataFile::DataFile(MonitorModel& model, QObject* parent) : QObject(parent), m_model(model) {}

int DataFile::nextHandle() {
    m_lastHandle = m_lastHandle % 255 + 1;
    return m_lastHandle;
}

void DataFile::openForReading(const QString& path) {
    m_model.filePath = path;
    m_model.fileTitle = QFileInfo(path).fileName();
    m_model.DiskFileNum = nextHandle();
    m_model.FileIsOpen = true;
    m_model.fileOpenForReading = true;
    m_model.dataChanged = false;
}

void DataFile::openForWriting(const QString& path) {
    m_model.filePath = path;
    m_model.fileTitle = QFileInfo(path).fileName();
    m_model.DiskFileNum = nextHandle();
    m_model.FileIsOpen = true;
    m_model.fileOpenForReading = false;
    m_model.dataChanged = false;
}

void DataFile::close() {
    m_model.FileIsOpen = false;
    m_model.DiskFileNum = 0;
    m_model.fileOpenForReading = false;
}

void DataFile::closeAfterFormatError() {
    m_model.FileIsOpen = false;
    m_model.DiskFileNum = 0;
}

QString DataFile::defaultTimestamp() const {
    const QLocale locale;
    const QDateTime now = QDateTime::currentDateTime();
    return locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(now.time(), QLocale::LongFormat);
}

QByteArray DataFile::contents() const {
    MonitorModel& m = m_model;
    QByteArray out;
    auto line = [&out](const QByteArray& text) { out += text + lineEnd; };
    auto textLine = [&line](const char* key, const QString& value) {
        line(textItem(QLatin1String(key)) + ',' + textItem(value));
    };

    line(textItem(MonitorModel::dataFileFirstLine));
    line(textItem(MonitorModel::dataFileSecondLine));
    textLine("File Created: ", m_timestamp ? m_timestamp() : defaultTimestamp());

    // The identity of the connected monitor, each value only when it was read (or loaded): an empty number in the
    // file would be taken for the monitor's, and written back it would erase the number in the monitor.
    if (m.monitorResponding) {
        const auto knownLine = [&](const char* key, const QString& originKey, const QString& value) {
            if (m.known(originKey))
                textLine(key, value);
        };
        for (const IdentityKey& k : identityKeys)
            if (k.board != 'T' || FirmwareClass::isCrt(m.firmwareClass))
                knownLine(k.written, MonitorModel::boardKey(QLatin1Char(k.board), k.serial), m.*(k.field));
        knownLine("Firmware Version: ", MonitorModel::firmwareVersionKey, m.firmwareVersion);
        knownLine("ROM Version: ", MonitorModel::romVersionKey, m.romVersion);
        knownLine("Operating Hours: ", MonitorModel::operatingTimeKey, m.operatingTime);
        knownLine("Operating Cycles: ", MonitorModel::operatingTimeKey, m.operatingCycles);
        // A limit only as the monitor reported it (or a file held it): a 0 nobody read is no limit of the monitor.
        knownLine("HV Upper Limit: ", MonitorModel::hvUpperLimitKey, QString::number(m.hvUpperLimit));
        knownLine("HV Lower Limit: ", MonitorModel::hvLowerLimitKey, QString::number(m.hvLowerLimit));
    }

    line(textItem(QStringLiteral("NumScanSets")) + ',' + numberItem(m.scanSetCount));
    const QVector<DacGroup*> groups = m.fileGroups();
    for (const DacGroup* g : groups)
        line(textItem(g->countKey) + ',' + numberItem(g->count));

    auto dacLine = [&line](const DacGroup& g, int dac, int scanSet) {
        // A value nobody read, loaded or set is a 0 the monitor never held: written back it would set the DAC.
        for (DacTable t : {DacTable::Value, DacTable::Factory, DacTable::Initial})
            if (!g.known(t, dac, scanSet))
                return;
        line(textItem(g.names[dac]) + ',' + numberItem(g.value[dac][scanSet]) + ',' +
             numberItem(g.factoryValue[dac][scanSet]) + ',' + numberItem(g.initialValue[dac][scanSet]));
    };

    // Only scan sets ticked in the scan-set window are saved; it has no tick for a seventh or eighth scan set.
    for (int i = 0; i < m.scanSetCount && i < MonitorModel::scanSetWindowRows; ++i) {
        if (!m.scanSetSavable(i))
            continue;
        line(textItem(QStringLiteral("ScanSet")) + ',' + numberItem(i));
        // An unnamed scan set would make the file unreadable ("Has No Name Assigned"); it keeps its start name.
        const QString name =
            m.scanSetNames[i].isEmpty() ? QStringLiteral("Scan Set %1 Title").arg(i + 1) : m.scanSetNames[i];
        line(textItem(QStringLiteral("ScanSetName")) + ',' + textItem(name));
        for (const auto& [group, dac] : scanSetLines(m))
            dacLine(*group, dac, i);
    }
    return out;
}

QVector<QPair<const DacGroup*, int>> DataFile::scanSetLines(const MonitorModel& m) {
    QVector<QPair<const DacGroup*, int>> lines;
    for (const DacGroup* g : m.fileGroups()) {
        // DACs without a name have no key the reader would know, so they are not written.
        const int last = std::min<int>(g->count, DacGroup::dacSlots);
        for (int dac = 0; dac < last; ++dac) {
            if (g->names[dac].isEmpty() || (g == &m.horizontalGroup && dac == MonitorModel::horizontalSCapIndex))
                continue;
            lines.append({g, dac});
        }
        if (g == &m.horizontalGroup)
            lines.append({g, MonitorModel::horizontalSCapIndex});
    }
    return lines;
}

DataFileResult DataFile::writeMdf() {
    if (!m_model.FileIsOpen)
        return DataFileResult::failure(QStringLiteral("InWriteMDF, FileIsOpen is False"));
    if (m_model.DiskFileNum < 1 || m_model.DiskFileNum > 255)
        return DataFileResult::failure(QStringLiteral("In WriteMDF, DiskFileNum is out of range"));

    if (m_model.fileOpenForReading) {
        m_model.DiskFileNum = nextHandle();
        m_model.fileOpenForReading = false;
    }

    if (m_startUpdateAll)
        m_startUpdateAll();

    const FileReplaceResult written = replaceFileContents(m_model.filePath, contents());
    if (!written.ok) {
        // The file stays open for another attempt and the data still counts as changed.
        const QString previous = written.previousIntact ? QStringLiteral("The previous file is unchanged.")
                                                        : QStringLiteral("The previous file could not be restored.");
        return DataFileResult::failure(QStringLiteral("In WriteMDF, the file %1 could not be written: %2.\r%3")
                                           .arg(m_model.fileTitle, written.error, previous));
    }

    m_model.FileIsOpen = false;
    m_model.DiskFileNum = 0;
    m_model.dataChanged = false;
    return DataFileResult::success();
}

DataFileResult DataFile::readMdf() {
    MonitorModel& m = m_model;
    if (!m.FileIsOpen)
        return DataFileResult::failure(QStringLiteral("No File Is Open - Can't Finish Read Operation"));
    if (m.DiskFileNum < 1 || m.DiskFileNum > 255)
        return DataFileResult::failure(QStringLiteral("In ReadMDF, DiskFileNum is out of range"));

    if (!m.fileOpenForReading) {
        m.DiskFileNum = nextHandle();
        m.fileOpenForReading = true;
    }

    QFile file(m.filePath);
    if (!file.open(QIODevice::ReadOnly))
        return DataFileResult::failure(generalError(file.exists() ? accessError : fileNotFoundError));

    const QString title = m.fileTitle;
    if (file.size() < 100) {
        closeAfterFormatError();
        return DataFileResult::failure(QStringLiteral("File ") + title + QStringLiteral(" is not a valid .mdv file"));
    }

    LineReader reader(file);
    QString text;
    bool tooLong = false;
    int lineNumber = 0;

    auto firstItem = [&](QString* item) {
        if (!reader.next(&text, &tooLong) || tooLong)
            return false;
        ++lineNumber;
        *item = splitItems(text).value(0);
        return true;
    };

    QString item;
    if (!firstItem(&item) || item != MonitorModel::dataFileFirstLine) {
        closeAfterFormatError();
        return DataFileResult::failure(QStringLiteral("File ") + title + QStringLiteral(" ") +
                                       QStringLiteral("is not in .mdv format"));
    }
    if (!firstItem(&item) || item != MonitorModel::dataFileSecondLine) {
        closeAfterFormatError();
        return DataFileResult::failure(QStringLiteral("File ") + title + QStringLiteral(" is a wrong version number"));
    }

    m.ScanSetReading = 0;
    while (reader.next(&text, &tooLong)) {
        ++lineNumber;
        const int here = lineNumber;
        if (tooLong)
            return DataFileResult::failure(generalError(lineTooLongError), here);

        const QStringList items = splitItems(text);
        const QString rawKey = items.value(0);
        const QString key = trimBlanks(rawKey);

        auto fail = [here](const ReadError& e) { return DataFileResult::failure(generalError(e), here); };
        auto valueTooLarge = [&]() {
            return DataFileResult::failure(QStringLiteral("Bad Input - ") + quoted(rawKey) +
                                               QStringLiteral(" Value Too Large\rLine ") + QString::number(here),
                                           here);
        };
        // Reads number item k of the line into out; returns the error to report, if any.
        auto number = [&](int k, int* out) -> const ReadError* {
            if (k >= items.size())
                return &pastEndError;
            const ReadError* error = nullptr;
            return parseNumberItem(items.at(k), out, &error) ? nullptr : error;
        };

        if (key == QLatin1String("#") || key == QLatin1String("File Created:"))
            continue;

        const IdentityKey* identity = nullptr;
        for (const IdentityKey& k : identityKeys)
            if (key == QLatin1String(k.key))
                identity = &k;
        if (identity) {
            if (items.size() < 2)
                return fail(pastEndError);
            const QString value = withoutTrailingLineEnd(items.at(1));
            m.setBoardNumber(QLatin1Char(identity->board), identity->serial, value, Origin::Loaded);
            emit identityLoaded(QLatin1Char(identity->board), identity->serial, value);
            continue;
        }

        if (key == QLatin1String("Firmware Version:") || key == QLatin1String("ROM Version:")) {
            if (items.size() < 2)
                return fail(pastEndError);
            const QString request = key.startsWith(QLatin1Char('F')) ? QStringLiteral("df") : QStringLiteral("de");
            if (m_dispatch)
                m_dispatch(request + QStringLiteral("\r\n") + items.at(1));
            continue;
        }

        if (key == QLatin1String("Operating Hours:") || key == QLatin1String("Operating Cycles:")) {
            if (items.size() < 2)
                return fail(pastEndError);
            const QString value = withoutTrailingLineEnd(items.at(1));
            m.setOrigin(MonitorModel::operatingTimeKey, Origin::Loaded);
            if (key.startsWith(QLatin1String("Operating H"))) {
                m.operatingTime = value;
                emit operatingTimeLoaded(value);
            } else {
                m.operatingCycles = value;
                emit operatingCyclesLoaded(value);
            }
            continue;
        }

        if (key == QLatin1String("HV Upper Limit:") || key == QLatin1String("HV Lower Limit:")) {
            if (items.size() < 2)
                return fail(pastEndError);
            int v = 0;
            if (!numericValue16(items.at(1), &v))
                return fail(overflowError);
            const bool upper = key.startsWith(QLatin1String("HV U"));
            (upper ? m.hvUpperLimit : m.hvLowerLimit) = static_cast<qint16>(v);
            m.setOrigin(upper ? MonitorModel::hvUpperLimitKey : MonitorModel::hvLowerLimitKey, Origin::Loaded);
            continue;
        }

        DacGroup* countGroup = m.groupByCountKey(key);
        if (key == QLatin1String("NumScanSets") || countGroup) {
            int n = 0;
            if (const ReadError* e = number(1, &n))
                return fail(*e);
            if (n > MonitorModel::maxFileScanSets)
                return valueTooLarge();
            (countGroup ? countGroup->count : m.scanSetCount) = static_cast<qint16>(n);
            continue;
        }

        if (key == QLatin1String("ScanSet")) {
            int n = 0;
            if (const ReadError* e = number(1, &n))
                return fail(*e);
            if (n > m.scanSetCount - 1)
                return valueTooLarge();
            if (n < 0 || n >= DacGroup::scanSetSlots)
                return fail(subscriptError);
            m.ScanSetReading = static_cast<qint16>(n);
            continue;
        }

        if (key == QLatin1String("ScanSetName")) {
            const QString name = items.value(1);
            if (name.isEmpty())
                return DataFileResult::failure(QStringLiteral("Bad Input - ") + quoted(rawKey) +
                                                   QStringLiteral(" Has No Name Assigned\rLine ") +
                                                   QString::number(here),
                                               here);
            if (!m.setScanSetName(m.ScanSetReading, name))
                return fail(subscriptError);
            emit scanSetNameLoaded(m.ScanSetReading, name);
            continue;
        }

        DacGroup* group = nullptr;
        int dac = -1;
        if (m.findDacName(key, &group, &dac)) {
            int live = 0;
            int factory = 0;
            int initial = 0;
            for (auto [k, out] : {std::pair<int, int*>{1, &live}, {2, &factory}, {3, &initial}})
                if (const ReadError* e = number(k, out))
                    return fail(*e);
            if (!m.storeFileValues(*group, dac, live, factory, initial))
                return fail(subscriptError);
            emit dacLineLoaded(group->letter, dac, m.ScanSetReading);
            continue;
        }

        return DataFileResult::failure(QStringLiteral("Name Not Found: ") + quoted(rawKey) +
                                           QStringLiteral("\r\nLine ") + QString::number(here) +
                                           QStringLiteral("\r\nScanSetReading: ") + QString::number(m.ScanSetReading),
                                       here);
    }

    m.FileIsOpen = true;
    m.fileOpenForReading = true;
    m.dataChanged = false;
    return DataFileResult::success();
}
