#include "diag/FrmPeekPoke.h"

#include "protocol/Catalogue.h"
#include "ui/AppContext.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

FrmPeekPoke::FrmPeekPoke(AppContext& ctx, QWidget* parent)
    : DiagnosticWindow(ctx, QStringLiteral("frmPeekPoke"), QStringLiteral("Peek and Poke"), parent) {
    // A button that queues the request its text box (if any) makes.
    auto sends = [this](QAbstractButton* button, std::function<QString()> request) {
        connect(button, &QAbstractButton::clicked, this, [this, request] { ask(request()); });
    };

    addCaption(0, 0, QStringLiteral("Address (Hex)"));
    QLineEdit* address = addBox(0, 1, QStringLiteral("AddressBox"), false);
    address->setText(QStringLiteral("0x"));
    QPushButton* setAddress = addButton(0, 2, QStringLiteral("brnWriteAddr"), QStringLiteral("Set Address"));
    setAddress->setToolTip(QStringLiteral("Load the PeekPoke Address Register"));
    sends(setAddress, [address] { return Catalogue::setPeekAddress(address->text()); });
    const struct {
        const char* name;
        Qt::ArrowType arrow;
        bool up;
    } steps[] = {{"btnAddrUp", Qt::UpArrow, true}, {"btnAddrDown", Qt::DownArrow, false}};
    // The two steps side by side beside "Set Address", not spread over the columns of the buttons below.
    auto* stepper = new QHBoxLayout;
    grid()->addLayout(stepper, 0, 3, Qt::AlignLeft);
    for (int k = 0; k < 2; ++k) {
        auto* step = new QToolButton(this);
        step->setObjectName(QString::fromLatin1(steps[k].name));
        step->setArrowType(steps[k].arrow);
        const bool up = steps[k].up;
        connect(step, &QToolButton::clicked, this, [this, up] { up ? addressUp() : addressDown(); });
        stepper->addWidget(step);
    }

    const struct {
        const char* caption;
        const char* box;
        const char* initial;
        const char* read;
        const char* write;
    } rows[] = {{"Data Byte (Hex)", "DataByteBox", "0xXX", "btnReadByte", "DataByteWriteButton"},
                {"Data Word (Hex)", "DataWordBox", "0xXXXX", "btnReadWord", "DataWordWriteButton"},
                {"Data Char", "txtDataChar", "", "btnReadChar", nullptr}};
    const std::function<QString()> reads[] = {&Catalogue::readByte, &Catalogue::readWord, &Catalogue::readChar};
    const std::function<QString(const QString&)> writes[] = {&Catalogue::writeByte, &Catalogue::writeWord};
    for (int k = 0; k < 3; ++k) {
        addCaption(1 + k, 0, QString::fromLatin1(rows[k].caption));
        QLineEdit* box = addBox(1 + k, 1, QString::fromLatin1(rows[k].box), false);
        box->setText(QString::fromLatin1(rows[k].initial));
        if (box->text().isEmpty())
            box->setPlaceholderText(QStringLiteral("Read fills it"));
        sends(addButton(1 + k, 2, QString::fromLatin1(rows[k].read), QStringLiteral("Read")), reads[k]);
        if (rows[k].write) {
            const auto write = writes[k];
            sends(addButton(1 + k, 3, QString::fromLatin1(rows[k].write), QStringLiteral("Write")),
                  [box, write] { return write(box->text()); });
        }
    }

    QPushButton* ok = addButton(4, 3, QStringLiteral("btnOK"), QStringLiteral("OK"));
    ok->setToolTip(QStringLiteral("Dismiss Thi Window"));
    connect(ok, &QPushButton::clicked, this, &ChildWindow::hideWindow);
}

void FrmPeekPoke::addressUp() {
    ask(Catalogue::stepPeekAddress(true));
}

void FrmPeekPoke::addressDown() {
    ask(Catalogue::stepPeekAddress(false));
}

void FrmPeekPoke::showMemory(DiagnosticHandlers::MemoryField field, const QString& text) {
    using F = DiagnosticHandlers::MemoryField;
    const char* box = field == F::Address ? "AddressBox"
                      : field == F::Byte  ? "DataByteBox"
                      : field == F::Word  ? "DataWordBox"
                                          : "txtDataChar";
    if (auto* edit = findChild<QLineEdit*>(QLatin1String(box)))
        edit->setText(text);
}
