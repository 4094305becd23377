#include "model/windows/FrmScanSelect.h"

#include "model/MonitorModel.h"
#include "platform/Dialogs.h"
#include "protocol/Catalogue.h"
#include "ui/AppContext.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
// A box that the user only ticks and unticks; greyed (partially checked) is set by the window alone.
class EnableBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override { setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked); }
};

QString arrayName(const char* name, int i) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(i);
}

QLabel* heading(QWidget* parent, const char* name, const char* text) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

// The busy pointer for the duration of a scope.
struct BusyPointer {
    BusyPointer() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QGuiApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};
} // namespace

FrmScanSelect::FrmScanSelect(AppContext& ctx, QWidget* parent)
    : ChildWindow(ctx, QStringLiteral("frmScanSelect"), QStringLiteral("Scan Selection"), parent),
      m_options(new QButtonGroup(this)) {
    MonitorModel& m = *ctx.model;
    auto* column = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    column->addLayout(grid);
    grid->addWidget(heading(this, "Label1", "Select"), 0, 0);
    grid->addWidget(heading(this, "Label2", "Enable"), 0, 3);
    grid->addWidget(heading(this, "Label3", "Copy DAC Settings"), 0, 4);
    for (int i = 0; i < rows; ++i) {
        // The choice names its scan set; the row's number label would only repeat it.
        auto* choice = new QRadioButton(QStringLiteral("Scan Set %1").arg(i + 1), this);
        choice->setObjectName(arrayName("ScanSelectChoice", i));
        m_options->addButton(choice, i);
        auto* rowLabel = new QLabel(QString::number(i + 1), this);
        rowLabel->setObjectName(arrayName("ScanSetLabel", i));
        rowLabel->hide();
        auto* name = new QLabel(m.scanSetNames[i], this);
        name->setObjectName(arrayName("ScanName", i));
        auto* box = new EnableBox(this);
        box->setObjectName(arrayName("Check1", i));
        grid->addWidget(choice, i + 1, 0);
        grid->addWidget(rowLabel, i + 1, 1);
        grid->addWidget(name, i + 1, 2);
        grid->addWidget(box, i + 1, 3, Qt::AlignHCenter);
        m_choices << choice;
        m_names << name;
        m_boxes << box;
        connect(choice, &QRadioButton::clicked, this, [this, i] { chooseOption(i); });
        // The model follows every change of a box, also those the window makes; only the user's clicks send.
        connect(box, &QCheckBox::stateChanged, this, [this, i] { m_ctx.model->scanSetEnabled[i] = boxValue(i); });
        connect(box, &QCheckBox::clicked, this, [this, i] {
            noteUsersTick(i);
            checkClicked(i);
        });
        if (i > 0) {
            auto* copy = new QPushButton(QStringLiteral("Copy 1->%1").arg(i + 1), this);
            copy->setObjectName(arrayName("CopyDAC", i - 1));
            grid->addWidget(copy, i + 1, 4);
            connect(copy, &QPushButton::clicked, this, [this, i] { copyFirstTo(i - 1); });
        }
    }
    grid->setColumnStretch(2, 1);
    const struct {
        const char* name;
        const char* text;
        void (FrmScanSelect::*action)();
    } buttons[] = {{"DeselectButton", "DeSelect", &FrmScanSelect::deselect},
                   {"RenameButton", "Rename", &FrmScanSelect::rename},
                   {"ScanSelectOKButton", "OK", &FrmScanSelect::ok}};
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    for (const auto& b : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(b.text), this);
        button->setObjectName(QString::fromLatin1(b.name));
        buttonRow->addWidget(button);
        connect(button, &QPushButton::clicked, this, b.action);
    }
    grid->addLayout(buttonRow, rows + 1, 0, 1, 5);
    // A window taller than its rows keeps the headings on top of their columns: the room left over goes below.
    column->addStretch(1);

    // Loading: no scan set counts as switched on until the monitor's list or the user ticks one; only the current
    // scan set's box can be changed.
    m_settling = true;
    for (int i = 0; i < rows; ++i) {
        m.scanSetEnabled[i] = 0;
        setBox(i, 0);
        m_boxes[i]->setEnabled(false);
    }
    if (isScanSet(m.currentScanSet))
        m_boxes[m.currentScanSet]->setEnabled(true);
    m_settling = false;
}

void FrmScanSelect::onActivated() {
    MonitorModel& m = *m_ctx.model;
    // The names and switched-on scan sets as the monitor keeps them, then the scan set it runs.
    if (m.monitorResponding) {
        m_ctx.send(Catalogue::readScanSetList());
        m_ctx.send(Catalogue::readCurrentScanSet());
    }
    m_settling = true;
    for (int i = 0; i < rows; ++i) {
        if (m.scanSetEnabled[i] == 1)
            setBox(i, 2);
        m_boxes[i]->setEnabled(false);
    }
    const int current = m.currentScanSet;
    if (current < 0) {
        markOption(0);
        chooseOption(0);
        markOption(-1);
    } else if (isScanSet(current)) {
        markOption(current);
        chooseOption(current);
    } else {
        // After "DeSelect" nothing is current until the user chooses a scan set.
        markOption(-1);
    }
    m_settling = false;
}

void FrmScanSelect::chooseOption(int i) {
    if (!isScanSet(i))
        return;
    MonitorModel& m = *m_ctx.model;
    // The scan set left behind keeps its tick greyed: only the current scan set's tick is saved.
    const int previous = m.currentScanSet;
    if (isScanSet(previous)) {
        if (boxValue(previous) == 1)
            setBox(previous, 2);
        m_boxes[previous]->setEnabled(false);
    }
    m.currentScanSet = static_cast<qint16>(i);
    m.scanSetChosen = true;
    m_boxes[i]->setEnabled(true);
    // A greyed tick counts again for the current scan set only when the user gave it: one the monitor's list
    // greyed says the scan set is switched on, not that its values are to be saved.
    if (boxValue(i) == 2 && usersTick(i))
        setBox(i, 1);
    describeSelection();
    if (m.monitorResponding)
        m_ctx.send(Catalogue::selectScanSet(i));
}

void FrmScanSelect::checkClicked(int i) {
    if (m_settling || !m_ctx.model->monitorResponding)
        return;
    m_ctx.send(Catalogue::setScanSetEnabled(i, boxValue(i) != 0));
}

void FrmScanSelect::copyFirstTo(int copyButton) {
    const int target = copyButton + 1;
    if (!m_ctx.model->monitorResponding || !isScanSet(target))
        return;
    BusyPointer busy;
    markOption(target);
    chooseOption(target);
    for (const QString& request : Catalogue::copyFirstScanSet())
        m_ctx.send(request);
}

void FrmScanSelect::deselect() {
    MonitorModel& m = *m_ctx.model;
    // Leaving the current scan set greys its tick as choosing another one would, so that nothing is saved for a
    // scan set nobody works on; the name and caption change at "OK".
    if (isScanSet(m.currentScanSet)) {
        if (boxValue(m.currentScanSet) == 1)
            setBox(m.currentScanSet, 2);
        m_boxes[m.currentScanSet]->setEnabled(false);
    }
    markOption(-1);
    m.currentScanSet = deselected;
}

void FrmScanSelect::rename() {
    MonitorModel& m = *m_ctx.model;
    const int current = m.currentScanSet;
    if (!isScanSet(current)) {
        m_ctx.dialogs->message(this, QStringLiteral("Nothing Selected"));
        return;
    }
    bool accepted = false;
    const QString prompt = QStringLiteral("Enter New Name For: #%1: %2").arg(current + 1).arg(m_names[current]->text());
    const QString typed =
        m_ctx.dialogs->inputBox(this, prompt, QStringLiteral("Rename Selected Scan Set"), QString(), &accepted);
    if (!accepted || typed.isEmpty())
        return;
    const QString name = typed.left(Catalogue::scanSetNameLength);
    m.currentScanSetName = name;
    m.setScanSetName(current, name);
    m_names[current]->setText(name);
    if (m.monitorResponding)
        m_ctx.send(Catalogue::renameScanSet(name));
}

void FrmScanSelect::ok() {
    describeSelection();
    hideWindow();
}

void FrmScanSelect::describeSelection() {
    MonitorModel& m = *m_ctx.model;
    const int current = m.currentScanSet;
    if (!isScanSet(current)) {
        m.currentScanSetName.clear();
        m.scanSetCaption = QStringLiteral("ScanSetSelected: (None)");
        return;
    }
    m.currentScanSetName = m_names[current]->text();
    m.scanSetCaption = MonitorModel::scanSetCaptionFor(current, m.currentScanSetName);
}

void FrmScanSelect::showEntry(int index, const QString& name, int enabled) {
    if (!isScanSet(index))
        return;
    showName(index, name);
    const bool settling = m_settling;
    m_settling = true;
    // The monitor's switch shows greyed; the tick that saves a scan set is the user's choice, never an answer's,
    // so a save right after connecting cannot write values nobody has read.
    if (boxValue(index) != 1)
        setBox(index, enabled == 1 ? 2 : 0);
    if (boxValue(index) == 0)
        m_ctx.model->setOrigin(tickKey(index), Origin::Unknown);
    m_settling = settling;
}

QString FrmScanSelect::tickKey(int i) {
    return QStringLiteral("scanSetTick:%1").arg(i);
}

void FrmScanSelect::noteUsersTick(int i) {
    m_ctx.model->setOrigin(tickKey(i), boxValue(i) == 0 ? Origin::Unknown : Origin::User);
}

bool FrmScanSelect::usersTick(int i) const {
    const Origin o = m_ctx.model->origin(tickKey(i));
    return o == Origin::User || o == Origin::Loaded;
}

void FrmScanSelect::showName(int index, const QString& name) {
    if (isScanSet(index))
        m_names[index]->setText(name);
}

void FrmScanSelect::markOption(int index) {
    // An exclusive group cannot show no selection; it is lifted while the selection is cleared.
    m_options->setExclusive(false);
    for (int i = 0; i < rows; ++i)
        m_choices[i]->setChecked(i == index);
    m_options->setExclusive(true);
}

void FrmScanSelect::setBox(int i, int value) {
    m_boxes[i]->setCheckState(value == 0 ? Qt::Unchecked : value == 1 ? Qt::Checked : Qt::PartiallyChecked);
}

int FrmScanSelect::boxValue(int i) const {
    switch (m_boxes[i]->checkState()) {
    case Qt::Unchecked:
        return 0;
    case Qt::Checked:
        return 1;
    default:
        return 2;
    }
}
