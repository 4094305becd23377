#pragma once
// Handlers of the data-read answers ("D" family): identity, versions, boot block, scan sets, operating time,
// panel status, model type, capability, filament duty cycles and the DAC values of every group. Each parses
// its body with the shared rules, writes the monitor data model (with the values' origin) and emits a typed
// result for the windows that show it. Handlers never touch widgets. A DAC list with a damaged number is
// reported and read again; other malformed answers are ignored.
#include "model/MonitorStates.h"
#include "protocol/AnswerHandlers.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

class DiagnosticHandlers;
class MonitorModel;

class DataReadHandlers : public QObject, public AnswerHandlers {
    Q_OBJECT
public:
    explicit DataReadHandlers(MonitorModel& model, QObject* parent = nullptr);

    // The monitor family whose set-up a firmware class selects: 1 (up to 138), 2 (200-298), 3 (300-398),
    // 4 (400-498); 0 for the classes that run no set-up.
    static int familyOf(int firmwareClass);

    void downloadRecordEcho(const QString& answer) override { emit recordAnswered(answer); }
    void flashEraseAnswer(const QString& body) override { emit flashEraseAnswered(body); }
    void sramLoadAnswer(const QString& body) override { emit sramLoadAnswered(body); }
    void bootBlockContents(const QString& body) override;
    void currentScanSet(const QString& body) override;
    void dacValues(QChar group, DacKind kind, const QString& body) override;
    void bootEpromVersion(const QString& body) override;
    void firmwareVersion(const QString& body) override;
    void partNumber(QChar board, const QString& body) override;
    void serialNumber(QChar board, const QString& body) override;
    void panelStatus(const QString& body) override;
    void filamentDutyCycle(QChar reading, const QString& body) override;
    void operatingTime(const QString& body) override;
    void modelType(const QString& body) override;
    void capability(const QString& body) override;
    void deflectionEnableRead(bool enabled) override;
    void hvEnableRead(bool enabled) override;

    // Diagnostics answers go to their own handlers.
    DiagnosticHandlers* diagnostics() const { return m_diagnostics; }
    void testPointsClass1(const QString& body) override;
    void testPointsClass2(const QString& body) override;
    void testPointsClass3(const QString& body) override;
    void testPointsClass4(const QString& body) override;
    void hvControls(const QString& body) override;
    void syncFrequencies(const QString& body) override;
    void i2cProbeResult(const QString& body, int colour) override;
    void peekAddressRead(const QString& text) override;
    void peekByteRead(const QString& text) override;
    void peekWordRead(const QString& text) override;
    void peekCharRead(const QString& text) override;

signals:
    // The download's answers, handed on unread: the record echo with its verdict, the "bf3" and "bs" answers.
    void recordAnswered(const QString& answer);
    void flashEraseAnswered(const QString& body);
    void sramLoadAnswered(const QString& body);
    // Part or serial number of a board (upper-case board letter as in the requests "dm"/"ds" + letter), with the
    // answer's line end removed.
    void identityRead(QChar board, bool serial, const QString& text);
    // "V " and the version digits, as the version and software windows show them.
    void firmwareVersionRead(const QString& text);
    void bootEpromVersionRead(const QString& text);
    // After a firmware-version answer whose class selects a monitor family (see familyOf).
    void familySetUpRequested(int firmwareClass);
    // Colour-balance offset row, six values: Current carries the slider positions (number + 128), Factory and
    // Initial the numbers shown in the boxes.
    void offsetRowRead(DacKind kind, const QVector<int>& values);
    // A part of the model's monitor states changed: an answer reported it (the model holds it as read), or a
    // window took the user's choice of it (noteStatesChanged). The windows that show the part show it again.
    void statesChanged(MonitorStates::Parts parts);
    // Current scan set of the monitor: number and name (at most 72 characters), each only when present.
    void currentScanSetNumberRead(int number);
    void currentScanSetNameRead(const QString& name);
    // The nominal frequencies of the "dc" answer, each as worded ("31.47 kHz"), empty when absent.
    void currentScanSetFrequenciesRead(const QString& horizontal, const QString& vertical);
    // The model's current scan set and its caption now follow the monitor's.
    void scanSetCaptionChanged();
    // One line of the scan-set list: index 0 to 5, name and enable tick (0 or 1).
    void scanSetEntryRead(int index, const QString& name, int enabled);
    // Operating time as the operating-time window shows it (days:hh:mm:ss and cycles) and as numbers for the
    // set-times window.
    void operatingTimeRead(const QString& timeText, const QString& cyclesText, int days, int hours, int minutes,
                           int seconds, int cycles);
    // Capability mask, already stored in the model's flags; emitted with suppressControlEvents set.
    void capabilityRead(int mask);
    // DAC values of a group (upper-case letter) from index 0 upward, as far as they were accepted. Current
    // values are the slider positions; the model's tables at the current scan set are already written.
    void dacValuesRead(QChar group, DacKind kind, const QVector<int>& values);
    // The extra number of the horizontal answers: "Horiz S Cap" (horizontal index 8).
    void horizontalSCapRead(DacKind kind, int value);
    // A DAC answer whose numbers were damaged (a field that is not a clean number within 0 to 255): nothing of it
    // was taken. reread is the request to send again, empty once the answer stayed garbled too often.
    void answerGarbled(const QString& answer, const QString& reread);
    // Cells of the model written from an answer: count DACs from first of the group, at scan set scanSet.
    void dacRowStored(QChar group, DacKind kind, int first, int count, int scanSet);

public:
    // A window took the user's choice of a state into the model.
    void noteStatesChanged(MonitorStates::Parts parts) { emit statesChanged(parts); }

private:
    void versionAnswer(const QString& body);
    void offsetRow(QChar selector, const QString& body);
    void scanSetList(const QString& body);
    // The heater and fan lines a flat panel adds to its panel status; true when it carried either.
    bool heaterAndFan(const QString& body);
    // The limits, hysteresis and software-control flags of the panel status; true when it carried any.
    bool panelControls(const QString& body);
    void identity(QChar board, bool serial, const QString& body, const QString& label);
    // The list of a DAC answer under the strict number rule; a garbled one is reported and read again.
    bool readList(QChar group, DacKind kind, const QString& text, int count, QVector<int>* values);
    // Counts the garbled answers to a request in a row and asks for it again, or forgets them on a clean one.
    void settle(const QString& request, bool clean, const QString& answer);
    void storeRow(QChar group, DacKind kind, const QVector<int>& values, int firstIndex = 0);
    void groupList(QChar group, DacKind kind, const QString& body);
    void fourValues(QChar group, DacKind kind, const QString& numbers);

    static constexpr int maxRereads = 2;

    MonitorModel& m_model;
    DiagnosticHandlers* m_diagnostics;
    QHash<QString, int> m_rereads; // garbled answers in a row, per read request
};
