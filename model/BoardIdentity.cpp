#include "model/BoardIdentity.h"

#include "model/MonitorModel.h"
#include "protocol/Catalogue.h"
#include "protocol/FirmwareClass.h"

namespace BoardIdentity {

namespace {
using K = NumberKind;

// Board rows are shown on both windows only with board identity; the monitor's own numbers always, except the
// top-level part number, which the identity window shows only with the boards.
Row monitorRow(char board, K kind, const char* caption, const char* label, const char* box, const char* button,
               const char* tip, bool boardOnlyOnId) {
    return Row{board, kind, caption, label, box, button, tip, boardOnlyOnId, false};
}
Row boardRow(char board, K kind, const char* caption, const char* label, const char* box, const char* button,
             const char* tip = nullptr) {
    return Row{board, kind, caption, label, box, button, tip, true, true};
}
} // namespace

const std::vector<Row>& rows() {
    static const std::vector<Row> table = {
        monitorRow('s', K::Part, "Model Number:", "lblModel", "txtModel", "btnModel", "Enter Monitor Model Number",
                   false),
        monitorRow('s', K::Serial, "Serial Number:", "lblSerial", "txtSerial", "btnSerial",
                   "Enter Monitor Serial Number", false),
        monitorRow('u', K::Part, "Part Number:", "lblPart", "txtPart", "btnPart", "Enter Monitor Top Level Part Number",
                   true),
        boardRow('l', K::Part, "LVPS Part Number:", "lblLVPSPartNumberValue", "txtLVPSPart", "btnLVPSPart"),
        boardRow('l', K::Serial, "LVPS Serial Number:", "lblLVPSSerialValue", "txtLVPSSerial", "btnLVPSSerial",
                 "Enter LVPS Serial Number"),
        boardRow('d', K::Part, "Deflection Part Number:", "lblDeflPartValue", "txtDeflPart", "btnDeflPart"),
        boardRow('d', K::Serial, "Deflection Serial Number:", "lblDeflSerialValue", "txtDeflSerial", "btnDeflSerial"),
        boardRow('c', K::Part, "Convergence Part Number:", "lblConvPartValue", "txtConvPart", "btnConvPart"),
        boardRow('c', K::Serial, "Convergence Serial Number:", "lblConvSerialValue", "txtConvSerial", "btnConvSerial"),
        boardRow('v', K::Part, "Video Part Number:", "lblVideoPartValue", "txtVideoPart", "btnVideoPart"),
        boardRow('v', K::Serial, "Video Serial Number:", "lblVideoSerialValue", "txtVideoSerial", "btnVideoSerial"),
        boardRow('p', K::Part, "CPU Part Number:", "lblCPUPartValue", "txtCPUPart", "btnCPUPart"),
        boardRow('p', K::Serial, "CPU Serial Number:", "lblCPUSerialValue", "txtCPUSerial", "btnCPUSerial"),
        boardRow('t', K::Part, "CRT Part Number:", "lblCRTPartValue", "txtCRTPart", "btnCRTPart"),
        boardRow('t', K::Serial, "CRT Serial Number:", "lblCRTSerialValue", "txtCRTSerial", "btnCRTSerial"),
        boardRow('h', K::Part, "HVPS Part Number:", "lblHVPSPartValue", "txtHVPSPart", "btnHVPSPart"),
        boardRow('h', K::Serial, "HVPS Serial Number:", "lblHVPSSerialValue", "txtHVPSSerial", "btnHVPSSerial"),
        // The HV supply's model number is stored as its part number; no answer shows it.
        boardRow('h', K::Model, "HVPS Model Number:", "lblHVPSModelValue", "txtHVPSModel", "btnHVPSModel"),
        boardRow('f', K::Part, "Focus Part Number:", "lblFocusPartValue", "txtFocusPart", "btnFocusPart"),
        boardRow('f', K::Serial, "Focus Serial Number:", "lblFocusSerialValue", "txtFocusSerial", "btnFocusSerial"),
        // The focus board's model number has no request: its button does nothing.
        boardRow(0, K::Model, "Focus Model Number:", "lblFocusModelValue", "txtFocusModel", "btnFpcusModel"),
        boardRow('g', K::Part, "G2 Part Number:", "lblG2PartValue", "txtG2Part", "btnG2Part"),
        boardRow('g', K::Serial, "G2 Serial Number:", "lblG2SerialValue", "txtG2Serial", "btnG2Serial"),
    };
    return table;
}

const Row* answerRow(QChar board, bool serial) {
    const char letter = board.toLower().toLatin1();
    const NumberKind kind = serial ? NumberKind::Serial : NumberKind::Part;
    for (const Row& row : rows())
        if (row.board != 0 && row.board == letter && row.kind == kind)
            return &row;
    return nullptr;
}

QString storedNumber(const MonitorModel& model, const Row& row) {
    const bool serial = row.kind == NumberKind::Serial;
    if (row.kind == NumberKind::Model)
        return QString();
    switch (row.board) {
    case 's':
        return serial ? model.serialNumber : model.modelNumber;
    case 'u':
        return model.partNumber;
    case 't':
        return serial ? model.crtSerialNumber : model.crtPartNumber;
    default:
        return QString();
    }
}

QStringList identityReads(int firmwareClass, bool hasBoardIdentity) {
    QStringList out;
    if (FirmwareClass::isClass1(firmwareClass))
        out << Catalogue::readPartNumber() << Catalogue::readSerialNumber();
    // The flat panels answer the monitor's own numbers as the second family does.
    else if (FirmwareClass::isClass2(firmwareClass) || FirmwareClass::isFlatPanel(firmwareClass))
        out << Catalogue::readPartNumber(QLatin1Char('s')) << Catalogue::readSerialNumber(QLatin1Char('s'));
    if (!hasBoardIdentity)
        return out;
    // The monitor's part number, then each board, in the order its firmware expects them.
    static const struct {
        char board;
        bool serial;
    } boardReads[] = {{'u', false}, {'l', true},  {'l', false}, {'d', true},  {'d', false}, {'c', true},  {'c', false},
                      {'v', true},  {'v', false}, {'p', true},  {'p', false}, {'t', true},  {'t', false}, {'h', true},
                      {'h', false}, {'f', true},  {'f', false}, {'g', false}, {'g', true}};
    for (const auto& r : boardReads)
        out << (r.serial ? Catalogue::readSerialNumber(QLatin1Char(r.board))
                         : Catalogue::readPartNumber(QLatin1Char(r.board)));
    return out;
}

QStringList setWindowReads() {
    return {Catalogue::readPartNumber(QLatin1Char('s')), Catalogue::readSerialNumber(QLatin1Char('s'))};
}

QString setRequest(const Row& row, const QString& typed) {
    if (row.board == 0)
        return QString();
    const QChar board = QLatin1Char(row.board);
    return row.kind == NumberKind::Serial ? Catalogue::setSerialNumber(board, typed)
                                          : Catalogue::setPartNumber(board, typed);
}

} // namespace BoardIdentity
