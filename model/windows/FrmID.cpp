#include "model/windows/FrmID.h"

#include "model/BoardIdentity.h"
#include "model/MonitorModel.h"
#include "model/windows/WindowParts.h"
#include "ui/AppContext.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

FrmID::FrmID(AppContext& ctx) : ChildWindow(ctx, QStringLiteral("frmID"), QStringLiteral("Model and Serial Numbers")) {
    auto* grid = new QGridLayout;
    int line = 0;
    for (const BoardIdentity::Row& row : BoardIdentity::rows()) {
        const QString name = QString::fromLatin1(row.valueLabel);
        QLabel* caption = WindowParts::label(this, name + QStringLiteral("Caption"), QString::fromLatin1(row.caption));
        QLabel* value = WindowParts::valueLabel(this, name, BoardIdentity::storedNumber(*ctx.model, row));
        grid->addWidget(caption, line, 0, Qt::AlignRight);
        grid->addWidget(value, line, 1);
        ++line;
        if (row.boardOnlyOnIdWindow)
            m_boardOnly << caption << value;
    }
    grid->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addLayout(WindowParts::buttonRow({WindowParts::dismissButton(
        this, QStringLiteral("btnDone"), QStringLiteral("Done"), QStringLiteral("DIsmiss This Window"))}));
}

void FrmID::onActivated() {
    const MonitorModel& m = *m_ctx.model;
    for (const QString& request : BoardIdentity::identityReads(m.firmwareClass, m.hasBoardIdentity))
        m_ctx.send(request);
    for (QWidget* w : std::as_const(m_boardOnly))
        w->setVisible(m.hasBoardIdentity);
    // Until its answer comes, a number the monitor has not given says so.
    for (QLabel* value : findChildren<QLabel*>())
        if (value->frameShape() != QFrame::NoFrame && value->text().isEmpty())
            value->setText(QStringLiteral("not reported"));
    fitFrame(m.hasBoardIdentity ? heightWithBoards : heightWithoutBoards);
}

void FrmID::showIdentity(QChar board, bool serial, const QString& text) {
    if (const BoardIdentity::Row* row = BoardIdentity::answerRow(board, serial))
        if (auto* value = findChild<QLabel*>(QString::fromLatin1(row->valueLabel)))
            // An empty answer: the monitor keeps no number for that board.
            value->setText(text.trimmed().isEmpty() ? QStringLiteral("not reported") : text);
}
