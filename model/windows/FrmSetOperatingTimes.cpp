#include "model/windows/FrmSetOperatingTimes.h"

#include "ui/AppContext.h"
#include "model/OperatingSettings.h"
#include "model/windows/WindowParts.h"
#include "platform/Dialogs.h"
#include "protocol/Catalogue.h"

#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FrmSetOperatingTimes::FrmSetOperatingTimes(AppContext& ctx)
    : ChildWindow(ctx, QStringLiteral("frmSetOperatingTimes"), QStringLiteral("Set Operating Times")) {
    using namespace WindowParts;
    auto* grid = new QGridLayout;
    const auto& fields = OperatingTimeFields::fields();
    for (int i = 0; i < int(fields.size()); ++i) {
        const OperatingTimeFields::Field& f = fields[i];
        auto* box = new QLineEdit(this);
        box->setObjectName(QString::fromLatin1(f.box));
        box->installEventFilter(this);
        m_boxes[i] = box;
        QPushButton* set = button(this, QString::fromLatin1(f.button), QStringLiteral("Set"));
        connect(set, &QPushButton::clicked, this,
                [this, box, field = f.field] { m_ctx.send(Catalogue::setOperatingField(field, box->text())); });
        grid->addWidget(
            label(this, QString::fromLatin1(f.box) + QStringLiteral("Caption"), QString::fromLatin1(f.caption)), i, 0,
            Qt::AlignRight);
        grid->addWidget(box, i, 1);
        grid->addWidget(set, i, 2);
    }
    grid->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addLayout(buttonRow({dismissButton(this, QStringLiteral("CloseButton"), QStringLiteral("Close"))}));
}

void FrmSetOperatingTimes::onActivated() {
    fitFrame();
    m_ctx.send(Catalogue::readOperatingTime());
}

void FrmSetOperatingTimes::showOperatingTime(int days, int hours, int minutes, int seconds, int cycles) {
    const int values[] = {days, hours, minutes, seconds, cycles};
    for (int i = 0; i < int(m_boxes.size()); ++i)
        m_boxes[i]->setText(QString::number(values[i]));
}

bool FrmSetOperatingTimes::eventFilter(QObject* watched, QEvent* event) {
    // A menu opening takes the focus only for a moment; the user has not left the box.
    if (event->type() == QEvent::FocusOut && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
        for (int i = 0; i < int(m_boxes.size()); ++i)
            if (watched == m_boxes[i])
                check(i);
    return ChildWindow::eventFilter(watched, event);
}

void FrmSetOperatingTimes::check(int field) {
    const OperatingTimeFields::Field& f = OperatingTimeFields::fields()[field];
    QLineEdit* box = m_boxes[field];
    // Closing or hiding the window moves the focus too; only a box the user leaves on a shown window is checked.
    if (!isVisible() || OperatingTimeFields::isValid(f, box->text()))
        return;
    if (m_ctx.dialogs)
        m_ctx.dialogs->message(this, QString::fromLatin1(f.message));
    box->clear();
}
