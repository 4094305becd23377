#include "diag/TestPointWindows.h"

#include "model/MonitorModel.h"
#include "protocol/Catalogue.h"
#include "protocol/FirmwareClass.h"
#include "ui/AppContext.h"

#include <QGridLayout>
#include <QLabel>

namespace {

struct ValueRow {
    const char* caption;
    const char* control;
};

const QStringList crtSupplies = {QStringLiteral("-8V"),  QStringLiteral("+90V"),  QStringLiteral("+24V"),
                                 QStringLiteral("+12V"), QStringLiteral("+6.3V"), QStringLiteral("+5V"),
                                 QStringLiteral("-12V"), QStringLiteral("-100V")};

QStringList operatingReads() {
    return {Catalogue::readTestPoints(), Catalogue::readSyncFrequencies(), Catalogue::readPanelStatus(),
            Catalogue::readHvControls()};
}

} // namespace

FrmTestPoint::FrmTestPoint(AppContext& ctx, QWidget* parent)
    : DiagnosticWindow(ctx, QStringLiteral("frmTestPoint"), QStringLiteral("Monitor Operating Values"), parent) {
    setPolling({operatingReads(), operatingReads(), 5000});
    const ValueRow rows[] = {{" HV Anode Current:", "IAnodeValue"},
                             {"HV Anode:", "VAnodeValue"},
                             {" LV80:", "LV80Value"},
                             {" LV175:", "LV175Value"},
                             {" Brightness Control In:", "BCtrlValue"},
                             {" Contrast Control In:", "CCtrlValue"}};
    int row = 0;
    for (const ValueRow& r : rows)
        addValueRow(row++, 0, QString::fromLatin1(r.caption), QString::fromLatin1(r.control));
    addFrequencyRows(row, 0);
    addHvLimitRows(0, 4);
    addRereadButton(row + 2, 0, QStringLiteral("ReadADCButton"), QStringLiteral("Reread Values"),
                    Reread::WhileActiveAndResponding);
    addPlotButton(row + 2, 4);
    addCloseButton(row + 2, 5);
}

FrmMDITestPoints::FrmMDITestPoints(AppContext& ctx, QWidget* parent)
    : DiagnosticWindow(ctx, QStringLiteral("frmMDITestPoints"), QStringLiteral("Monitor Operating Values"), parent) {
    setPolling({operatingReads(), operatingReads(), 10000});
    addAnodeLimitRow(0, 0, QStringLiteral("HV Anode Current Limit:"), QStringLiteral("btnSetIAnodeLimit"));
    const ValueRow rows[] = {{" HV Anode Current:", "IAnodeValue"},
                             {"HV Anode Voltage:", "VAnodeValue"},
                             {"Video +80V:", "lblLV80Value"},
                             {"CPU +5V:", "lblCPUP5Value"},
                             {" Brightness Control In:", "BCtrlValue"},
                             {" Contrast Control In:", "CCtrlValue"},
                             {" Contrast Control X16:", "lblCCtrlX16Value"},
                             {"Focus Voltage:", "FocusLabel"},
                             {"G2 Voltage:", "G2Label"}};
    int row = 1;
    for (const ValueRow& r : rows)
        addValueRow(row++, 0, QString::fromLatin1(r.caption), QString::fromLatin1(r.control));
    addFrequencyRows(row, 0);
    addHvLimitRows(1, 4);
    row += 2;
    addSupplyBlock(row, 0, QStringLiteral("Low Voltage Power Supply"),
                   QStringLiteral(" Nominal    Actual    Nominal    Actual"), crtSupplies);
    row += 6;
    addRereadButton(row, 0, QStringLiteral("ReadADCButton"), QStringLiteral("Reread Values"),
                    Reread::WhileActiveAndResponding);
    addPlotButton(row, 4);
    addCloseButton(row, 5);
}

FrmCRTVoltages::FrmCRTVoltages(AppContext& ctx, QWidget* parent)
    : DiagnosticWindow(ctx, QStringLiteral("frmCRTVoltages"), QStringLiteral("Monitor Operating Voltages"), parent) {
    Polling polling{{Catalogue::readTestPoints()}, {Catalogue::readTestPoints()}, 10000};
    polling.tickOnlyWhenQueueEmpty = true;
    setPolling(polling);
    setMarksReadingsNotOnMonitor();
    addCaption(0, 0, QStringLiteral("CRT Voltages"));
    addCaption(0, 2, QStringLiteral("User Control Voltages"));
    const ValueRow crt[] = {{" HV Anode Current:", "IAnodeValue"},
                            {"HV Anode Voltage:", "VAnodeValue"},
                            {"Focus Voltage:", "FocusLabel"},
                            {"G2 Voltage:", "G2Label"}};
    const ValueRow user[] = {{" Brightness Control In:", "BCtrlValue"},
                             {" Contrast Control In:", "CCtrlValue"},
                             {" Contrast Control X16:", "lblCCtrlX16Value"}};
    // The first family calls its anode voltage "HV Anode".
    for (int k = 0; k < 4; ++k)
        addValueRow(1 + k, 0, QString::fromLatin1(crt[k].caption), QString::fromLatin1(crt[k].control),
                    k == 1 ? QStringList{QStringLiteral("HV Anode")} : QStringList());
    for (int k = 0; k < 3; ++k)
        addValueRow(1 + k, 2, QString::fromLatin1(user[k].caption), QString::fromLatin1(user[k].control));
    addSupplyBlock(5, 0, QStringLiteral("Low Voltage Power Supply"),
                   QStringLiteral("Nom       Actual        Nom      Actual"), crtSupplies);
    addCaption(11, 0, QStringLiteral("Miscellaneous"));
    addValueRow(12, 0, QStringLiteral("Video +80V:"), QStringLiteral("lblLV80Value"), {QStringLiteral("LV80")});
    addValueRow(13, 0, QStringLiteral("CPU +5V:"), QStringLiteral("lblCPUP5Value"));
    addRereadButton(14, 0, QStringLiteral("btnReRead"), QStringLiteral("ReRead"), Reread::Always);
    addPlotButton(14, 2);
    addCloseButton(14, 3);
}

namespace {
// The flat panels' input captions, as a control array; the LED-backlight panels keep only the brightness one.
const ValueRow flatPanelInputs[] = {{"Enh Contrast Control In:", "ECCtrlValue"}, {"Photocell x40960:", "lblACH4"},
                                    {"Photocell   x2560:", "lblACH5"},           {"Photocell     x160:", "lblACH6"},
                                    {" Brightness Control In:", "BCtrlValue"},   {"Photocell       x10:", "lblACH7"}};
constexpr int shownLedInput = 4;
} // namespace

FrmFlatPanelTestPoints::FrmFlatPanelTestPoints(AppContext& ctx, QWidget* parent)
    : DiagnosticWindow(ctx, QStringLiteral("frmFlatPanelTestPoints"), QStringLiteral("Analog Operating Values"),
                       parent) {
    setPolling({{Catalogue::readTestPoints()}, {Catalogue::readTestPoints()}, 5000});
    int row = 0;
    for (int k = 0; k < 6; ++k, ++row)
        showsReading(
            addValue(row, 1, QString::fromLatin1(flatPanelInputs[k].control)),
            addCaption(row, 0, QString::fromLatin1(flatPanelInputs[k].caption), QStringLiteral("lblInput(%1)").arg(k)));
    showsReading(addValue(row, 1, QStringLiteral("CCtrlValue")),
                 addCaption(row, 0, QStringLiteral(" Contrast Control In:"), QStringLiteral("lblContrastIn")));
    ++row;
    addValueRow(row++, 0, QStringLiteral("+5V Monitor:"), QStringLiteral("P5VM"));
    addSupplyBlock(row, 0, QStringLiteral("Power"), QStringLiteral(" Nominal    Actual    Nominal    Actual"),
                   {QStringLiteral("+28V"), QStringLiteral("+23V"), QStringLiteral("+5V"), QStringLiteral("-5V")});
    row += 4;
    addRereadButton(row, 0, QStringLiteral("ReadADCButton"), QStringLiteral("Reread Values"),
                    Reread::WhileActiveAndResponding);
    addPlotButton(row, 2);
    addCloseButton(row, 3);
    // Created again after its title bar's close, it shows the connected family's supplies, not the first family's.
    applyFamilySetUp(ctx.model->firmwareClass);
}

void FrmFlatPanelTestPoints::applyFamilySetUp(int firmwareClass) {
    if (FirmwareClass::setUpFamily(firmwareClass) != 4)
        return;
    const char* supplies[] = {"LED+", "+12V", "+3.3V", "+2.5V"};
    for (int k = 0; k < 4; ++k)
        if (auto* caption = findChild<QLabel*>(QStringLiteral("lblNominal(%1)").arg(k)))
            caption->setText(QString::fromLatin1(supplies[k]));
    // A caption and its value go together.
    auto setShown = [this](const QString& caption, const QString& value, bool shown) {
        for (const QString& name : {caption, value})
            if (QWidget* w = findChild<QWidget*>(name))
                w->setVisible(shown);
    };
    for (int k = 0; k < 6; ++k)
        setShown(QStringLiteral("lblInput(%1)").arg(k), QString::fromLatin1(flatPanelInputs[k].control),
                 k == shownLedInput);
    setShown(QStringLiteral("lblContrastIn"), QStringLiteral("CCtrlValue"), false);
}
