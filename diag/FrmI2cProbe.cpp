#include "diag/FrmI2cProbe.h"

#include "model/MonitorModel.h"
#include "protocol/Catalogue.h"
#include "protocol/I2cDevices.h"
#include "ui/AppContext.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

FrmI2cProbe::FrmI2cProbe(AppContext& ctx, QWidget* parent)
    : DiagnosticWindow(ctx, QStringLiteral("frmI2cProbe"), QStringLiteral("I2C Device Test"), parent) {
    // One group per board, in the order of the device table, each added to the shorter of two columns; the
    // whole table scrolls when the window is smaller than it.
    auto* table = new QWidget;
    auto* columns = new QHBoxLayout(table);
    QVBoxLayout* column[2] = {new QVBoxLayout, new QVBoxLayout};
    int height[2] = {0, 0};
    for (QVBoxLayout* c : column)
        columns->addLayout(c);
    QHash<QString, QGridLayout*> boards;
    for (const I2cDevice& d : I2cDevices::table()) {
        const QString board = QString::fromLatin1(d.board);
        QGridLayout* layout = boards.value(board);
        if (!layout) {
            const int shorter = height[0] <= height[1] ? 0 : 1;
            auto* box = new QGroupBox(board, table);
            layout = new QGridLayout(box);
            layout->setVerticalSpacing(2);
            column[shorter]->addWidget(box);
            boards.insert(board, layout);
            height[shorter] += 1 + int(std::count_if(I2cDevices::table().begin(), I2cDevices::table().end(),
                                                     [&d](const I2cDevice& o) { return !qstrcmp(o.board, d.board); }));
        }
        const int row = layout->rowCount();
        auto* button = new QPushButton(table);
        button->setObjectName(QString::fromLatin1(d.button));
        button->setFixedSize(28, 20);
        button->setAutoFillBackground(true);
        const int address = d.address;
        connect(button, &QPushButton::clicked, this, [this, address] { ask(Catalogue::probe(address)); });
        auto* caption = new QLabel(I2cDevices::caption(d), table);
        auto* function = new QLabel(QString::fromLatin1(d.function), table);
        layout->addWidget(button, row, 0);
        layout->addWidget(caption, row, 1);
        layout->addWidget(function, row, 2);
        m_rows.append({&d, {button, caption, function}});
    }
    for (QVBoxLayout* c : column)
        c->addStretch();
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("devices"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(table);
    grid()->addWidget(scroll, 0, 0);

    auto* tools = new QGridLayout;
    grid()->addLayout(tools, 1, 0);
    auto* typed = new QLineEdit(this);
    typed->setObjectName(QStringLiteral("txtTest"));
    typed->setPlaceholderText(QStringLiteral("Addr"));
    typed->setMaximumWidth(60);
    auto* test = new QPushButton(this);
    test->setObjectName(QStringLiteral("btnTest"));
    test->setFixedSize(28, 22);
    test->setAutoFillBackground(true);
    connect(test, &QPushButton::clicked, this, [this, typed] { ask(Catalogue::probe(typed->text())); });
    tools->addWidget(test, 0, 0);
    tools->addWidget(typed, 0, 1);
    tools->addWidget(new QLabel(QStringLiteral("Try this HEX address"), this), 0, 2);

    auto* leds = new QPushButton(this);
    leds->setObjectName(QStringLiteral("BtnToggleLEDs"));
    leds->setFixedSize(28, 22);
    leds->setAutoFillBackground(true);
    connect(leds, &QPushButton::clicked, this, [this] { ask(Catalogue::toggleLeds()); });
    tools->addWidget(leds, 1, 0);
    tools->addWidget(new QLabel(QStringLiteral("Toggle CPU LEDs"), this), 1, 1, 1, 2);

    auto* all = new QPushButton(QStringLiteral("Test All"), this);
    all->setObjectName(QStringLiteral("btnAll"));
    connect(all, &QPushButton::clicked, this, [this] {
        for (const QString& request : I2cDevices::testAllRequests(reportedCapability()))
            ask(request);
    });
    auto* gray = new QPushButton(QStringLiteral("Set All Buttons Gray"), this);
    gray->setObjectName(QStringLiteral("btnSetAllGray"));
    connect(gray, &QPushButton::clicked, this, &FrmI2cProbe::setAllGray);
    auto* done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("btnDone"));
    connect(done, &QPushButton::clicked, this, &ChildWindow::hideWindow);
    tools->addWidget(all, 0, 3);
    tools->addWidget(gray, 0, 4);
    tools->addWidget(done, 1, 4);
}

int FrmI2cProbe::reportedCapability() const {
    const MonitorModel& m = *m_ctx.model;
    return m.capabilityReported ? m.capabilityMask() : -1;
}

void FrmI2cProbe::onActivated() {
    DiagnosticWindow::onActivated();
    showOfferedDevices();
}

void FrmI2cProbe::showOfferedDevices() {
    // Only the boards the monitor does not report absent; a board without any device is left out whole.
    QHash<QWidget*, bool> boardShown;
    for (const DeviceRow& row : m_rows) {
        const bool shown = I2cDevices::carried(*row.device, reportedCapability());
        for (QWidget* w : row.widgets)
            w->setVisible(shown);
        boardShown[row.widgets.first()->parentWidget()] |= shown;
    }
    for (auto it = boardShown.cbegin(); it != boardShown.cend(); ++it)
        it.key()->setVisible(it.value());
}

QColor FrmI2cProbe::colourOf(int rgbValue) {
    return QColor(rgbValue & 0xFF, (rgbValue >> 8) & 0xFF, (rgbValue >> 16) & 0xFF);
}

void FrmI2cProbe::showProbeResult(const QStringList& buttons, int colour) {
    for (const QString& name : buttons) {
        if (auto* button = findChild<QPushButton*>(name)) {
            QPalette p = button->palette();
            p.setColor(QPalette::Button, colourOf(colour));
            button->setPalette(p);
        }
    }
}

void FrmI2cProbe::setAllGray() {
    const QColor face = QApplication::palette().color(QPalette::Button);
    for (QPushButton* button : findChildren<QPushButton*>()) {
        QPalette p = button->palette();
        p.setColor(QPalette::Button, face);
        button->setPalette(p);
    }
}
