#include "adjust/FrmConvergence.h"

#include "link/TransmitQueue.h"
#include "model/MonitorModel.h"
#include "model/UpdateAllData.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "protocol/Catalogue.h"
#include "ui/AppContext.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>

namespace {
// The slider groups in the order they are laid out (two columns of three blocks).
struct GroupDef {
    int arrayNumber;
    const char* caption;
    char letter;
    int max;
    int labels; // value label array number
};
const GroupDef groups[] = {
    {6, "U614 Offset", 'a', 255, 16},           {1, "U607 Horiz Ramp", 'd', 63, 17},
    {2, "U608 Vertical Ramp", 'e', 63, 18},     {4, "U615 Horiz Parabola", 'i', 63, 19},
    {5, "U616 Vertical Parabola", 'k', 63, 20}, {3, "U609 Purity", 'g', 63, 21},
};
// The save requests, in the order the monitor is asked.
const char saveOrder[] = {'a', 'd', 'e', 'g', 'i', 'k'};

// Layout, twips: narrow enough for a screen 1024 pixels wide at the common fonts.
constexpr int blockTop = 480, blockHeight = 1560, columnWidth = 5040, rowPitch = 285, rowHeight = 255;
constexpr int sliderOffset = 720, sliderWidth = 2400, valueOffset = 3240, valueWidth = 540;
constexpr int buttonPitch = 2040, buttonWidth = 1920;

DacGroup* modelGroup(MonitorModel& m, char letter) {
    return m.group(QLatin1Char(letter));
}
} // namespace

FrmConvergence::FrmConvergence(AppContext& ctx, QWidget* parent)
    : DacAdjustWindow(ctx, QStringLiteral("frmConvergence"), QStringLiteral("Adjust Convergence - Details"), parent) {
    MonitorModel& m = model();
    for (int column = 0; column < 2; ++column)
        for (int k = 0; k < 3; ++k) {
            // The value columns in the order of every adjustment window: present, factory, initial.
            const char* texts[] = {"Now", "Fact", "Init"};
            QLabel* heading =
                addLabel(elementName(QStringLiteral("lblHeading"), column * 3 + k), QString::fromLatin1(texts[k]));
            place(heading, 120 + column * columnWidth + valueOffset + k * valueWidth, 120, valueWidth, rowHeight);
        }
    for (int n = 0; n < 6; ++n) {
        const GroupDef& def = groups[n];
        const int left = 120 + (n % 2) * columnWidth;
        const int top = blockTop + (n / 2) * blockHeight;
        const QString labels = QStringLiteral("Label%1").arg(def.labels);
        DacRowNames names{QString(), QStringLiteral("HScroll%1").arg(def.arrayNumber),
                          labels,    labels,
                          labels,    DacRowNames::Display::Label};
        names.initialOffset = 4;
        names.factoryOffset = 8;
        DacRowGroup* g = addRowGroup(modelGroup(m, def.letter), QLatin1Char(def.letter), names);
        g->buttonSource = DacRowGroup::ValueSource::Columns;
        g->presentLeadingBlank = true;
        g->committed = false;
        g->filledFromModel = false;
        g->savable = [] { return false; }; // the window's own save asks the monitor only
        place(addLabel(QStringLiteral("lblGroup%1").arg(def.arrayNumber), QString::fromLatin1(def.caption)), left, top,
              columnWidth - 240, rowHeight);
        if (def.letter == 'g') {
            // Purity rows 0 and 1, parabola balance rows 2 and 3, each horizontal and vertical.
            place(addLabel(QStringLiteral("lblGroup3b"), QStringLiteral("U609 Parabola Balance")), left,
                  top + rowHeight + 2 * rowPitch, columnWidth - 240, rowHeight);
        }
        for (int i = 0; i < 4; ++i) {
            DacRowDefinition rowDef;
            rowDef.index = i;
            rowDef.max = def.max;
            rowDef.largeChange = 8;
            DacRow* row = addRow(g, rowDef);
            int rowTop = top + rowHeight + i * rowPitch;
            if (def.letter == 'g') {
                rowTop += (i / 2) * rowHeight;
                place(addLabel(QStringLiteral("lblPurityAxis%1").arg(i),
                               i % 2 ? QStringLiteral("Ver") : QStringLiteral("Hor")),
                      left + 240, rowTop, sliderOffset - 300, rowHeight);
            }
            place(row->slider, left + sliderOffset, rowTop, sliderWidth, rowHeight);
            place(row->present, left + valueOffset, rowTop, valueWidth, rowHeight);
            place(row->factory, left + valueOffset + valueWidth, rowTop, valueWidth, rowHeight);
            place(row->initial, left + valueOffset + 2 * valueWidth, rowTop, valueWidth, rowHeight);
        }
    }

    // Below the purity block, whose two pairs of rows take one row more than the other blocks.
    const int top = blockTop + 3 * blockHeight + rowHeight;
    QPushButton* centre = addButton(QStringLiteral("btnCenterAll"), QString());
    place(centre, 120, top, 375, 285);
    place(addLabel(QStringLiteral("Label28"), QStringLiteral("Center All Controls")), 600, top, 2400, 285);
    m_onOff = new QCheckBox(this);
    m_onOff->setObjectName(QStringLiteral("ckOnOff"));
    place(m_onOff, 3120, top, 285, 285);
    place(addLabel(QStringLiteral("Label4"), QStringLiteral("Convergence Enabled (Temporary)")), 3480, top, 3000, 285);
    QPushButton* reReadButton = addButton(QStringLiteral("btnReRead"), QStringLiteral("ReRead Values"));
    QPushButton* factory =
        addButton(QStringLiteral("btnUseFactoryDefaults"), QStringLiteral("Go Back to Factory Defaults"));
    QPushButton* initial =
        addButton(QStringLiteral("btnUseInitialSettings"), QStringLiteral("Go Back to  Initial Settings"));
    QPushButton* save = addButton(QStringLiteral("btnSetInitialSettings"), QStringLiteral("Save Initial Settings"));
    QPushButton* done = addButton(QStringLiteral("btnDone"), QStringLiteral("Done"));
    // The setting buttons sit in their gates before anything is placed: a gate made later would open at the
    // window's corner.
    setSettingButtons(factory, initial, save);
    const int buttonsTop = top + 480;
    QPushButton* row[] = {reReadButton, factory, initial, save, done};
    for (int k = 0; k < 5; ++k)
        place(row[k], 120 + k * buttonPitch, buttonsTop, buttonWidth, 375);
    connect(centre, &QPushButton::clicked, this, [this] { centerAll(); });
    connect(reReadButton, &QPushButton::clicked, this, [this] { reRead(); });
    connect(done, &QPushButton::clicked, this, [this] { hideWindow(); });
    connect(m_onOff, &QCheckBox::toggled, this, [this](bool on) {
        // Only a monitor that answers is told; the request must not wait for whichever monitor comes next.
        if (model().monitorResponding)
            m_ctx.send(Catalogue::setConvergenceCorrection(on));
    });
    setWindowHeightTwips(buttonsTop + 1000);
}

void FrmConvergence::onActivated() {
    if (!m_readOnOpening)
        return;
    m_readOnOpening = false;
    reRead();
}

void FrmConvergence::reRead() {
    if (model().monitorResponding && m_ctx.updateAll)
        m_ctx.updateAll->readConvergenceData();
}

int FrmConvergence::centreOf(int min, int max) {
    const int span = max - min;
    int half = span / 2;
    // Half to even: 31.5 gives 32, 127.5 gives 128.
    if (span % 2 != 0 && half % 2 != 0)
        ++half;
    return min + half;
}

void FrmConvergence::centerAll() {
    for (DacRowGroup* g : rowGroups())
        for (DacRow* row : g->rows())
            setRowDeliberately(*g, *row, centreOf(row->slider->minimum(), row->slider->maximum()));
}

bool FrmConvergence::buttonValuesReady() {
    const QLabel* firstInitial = findChild<QLabel*>(QStringLiteral("Label16(4)"));
    if (firstInitial && !firstInitial->text().trimmed().isEmpty())
        return true;
    if (m_ctx.dialogs)
        m_ctx.dialogs->message(this, initialValuesMissing(), QString(), Dialogs::Ok);
    return false;
}

void FrmConvergence::saveInitialSettings() {
    if (!model().monitorResponding)
        return;
    for (char letter : saveOrder)
        m_ctx.send(Catalogue::saveDacs(QLatin1Char(letter)));
}

void FrmConvergence::copyPresentToInitialLabels() {
    for (DacRowGroup* g : rowGroups())
        for (DacRow* row : g->rows())
            setDisplayText(row->initial, QString::number(row->slider->value()));
}

QScrollBar* FrmConvergence::slider(int arrayNumber, int element) const {
    return findChild<QScrollBar*>(elementName(QStringLiteral("HScroll%1").arg(arrayNumber), element));
}

QList<QPair<QScrollBar*, int>> FrmConvergence::coupled(const Step& step) const {
    QList<QPair<QScrollBar*, int>> targets;
    const MonitorModel& m = model();
    for (int s = 1; s <= 5; ++s)
        for (int d = 1; d <= 4; ++d) {
            const int c = m.coupling(step.p, step.q, step.r, s, d);
            const MonitorModel::CouplingSlider& ref = m.couplingSliders[(s - 1) + 5 * (d - 1)];
            if (QScrollBar* target = c ? slider(ref.sliderArray, ref.element) : nullptr)
                targets.append({target, c});
        }
    return targets;
}

bool FrmConvergence::readPending(QChar letter) const {
    const TransmitQueue* q = m_ctx.queue();
    return q && q->holdsRequest(Catalogue::readDac(letter, DacKind::Current));
}

QString FrmConvergence::applyCoupling(int p, int q, int r, int step) {
    if (p < 1 || p > 9 || q < 1 || q > 3 || r < 1 || r > 4)
        return QString();
    const Step s{p, q, r, step};
    // A step is made at once from what the monitor holds, or not at all: one made later would land on values the
    // user has since seen change.
    QString reason;
    for (const auto& t : coupled(s)) {
        DacRowGroup* g = nullptr;
        const DacRow* row = rowOfSlider(t.first, &g);
        if (!row)
            continue;
        if (row->held == Held::Beyond)
            return stepBeyondRange();
        if (row->held == Held::Unread || readPending(g->letter())) {
            reason = stepBeforeValues();
            if (!readPending(g->letter()))
                m_ctx.send(Catalogue::readDac(g->letter(), DacKind::Current));
        }
    }
    if (reason.isEmpty())
        for (const auto& t : coupled(s))
            t.first->setValue(std::clamp(t.first->value() + t.second * step, t.first->minimum(), t.first->maximum()));
    return reason;
}
