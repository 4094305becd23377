#include "model/windows/FrmSetModelAndSerialNumber.h"

#include "model/BoardIdentity.h"
#include "model/MonitorModel.h"
#include "model/windows/WindowParts.h"
#include "platform/Dialogs.h"
#include "ui/AppContext.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// What a box without a number says: "not reported" for a number the monitor was asked for and did not give (and
// for the model numbers no answer gives), "not read yet" for one nobody asked it for on this connection.
QString emptyWord(const MonitorModel& m, const BoardIdentity::Row& row) {
    const bool serial = row.kind == BoardIdentity::NumberKind::Serial;
    const bool asked =
        row.kind == BoardIdentity::NumberKind::Model || m.known(MonitorModel::boardKey(QLatin1Char(row.board), serial));
    return asked ? QStringLiteral("not reported") : QStringLiteral("not read yet");
}
} // namespace

FrmSetModelAndSerialNumber::FrmSetModelAndSerialNumber(AppContext& ctx)
    : ChildWindow(ctx, QStringLiteral("frmSetModelAndSerialNumber"), QStringLiteral("Set Model and Serial Number")) {
    auto* grid = new QGridLayout;
    int line = 0;
    for (const BoardIdentity::Row& row : BoardIdentity::rows()) {
        const QString boxName = QString::fromLatin1(row.box);
        QLabel* caption =
            WindowParts::label(this, boxName + QStringLiteral("Caption"), QString::fromLatin1(row.caption));
        auto* box = new QLineEdit(BoardIdentity::storedNumber(*ctx.model, row), this);
        box->setObjectName(boxName);
        box->setPlaceholderText(emptyWord(*ctx.model, row));
        box->setMinimumWidth(box->fontMetrics().averageCharWidth() * 20);
        if (row.toolTip)
            box->setToolTip(QString::fromLatin1(row.toolTip));
        QPushButton* set = WindowParts::button(this, QString::fromLatin1(row.button), QStringLiteral("Set"));
        connect(set, &QPushButton::clicked, this, [this, &row, box] { setNumber(row, box); });
        grid->addWidget(caption, line, 0, Qt::AlignRight);
        grid->addWidget(box, line, 1);
        grid->addWidget(set, line, 2);
        ++line;
        if (row.boardOnlyOnSetWindow)
            m_boardOnly << caption << box << set;
    }
    grid->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addLayout(
        WindowParts::buttonRow({WindowParts::dismissButton(this, QStringLiteral("btnDone"), QStringLiteral("Done"))}));
}

void FrmSetModelAndSerialNumber::onActivated() {
    const MonitorModel& m = *m_ctx.model;
    for (const QString& request : BoardIdentity::setWindowReads())
        m_ctx.send(request);
    for (QWidget* w : std::as_const(m_boardOnly))
        w->setVisible(m.hasBoardIdentity);
    showEmptyWords();
    // With the boards the window grows to fit all rows.
    fitFrame(m.hasBoardIdentity ? -1 : heightWithoutBoards);
}

void FrmSetModelAndSerialNumber::setNumber(const BoardIdentity::Row& row, QLineEdit* box) {
    // A box that shows no number of this monitor and that the user has not typed in holds nothing the user chose:
    // sent, it would overwrite (or, empty, erase) the number the monitor keeps.
    const QString key = MonitorModel::boardKey(QLatin1Char(row.board), row.kind == BoardIdentity::NumberKind::Serial);
    if (!box->isModified() && m_ctx.model->origin(key) != Origin::Read)
        return;
    // The monitor takes the bare request as an erase.
    if (box->text().isEmpty() &&
        (!m_ctx.dialogs || m_ctx.dialogs->message(this, eraseQuestion(QString::fromLatin1(row.caption)), QString(),
                                                  Dialogs::YesNo, Dialogs::Question) != Dialogs::AnswerYes))
        return;
    const QString request = BoardIdentity::setRequest(row, box->text());
    if (!request.isEmpty())
        m_ctx.send(request);
}

void FrmSetModelAndSerialNumber::showIdentity(QChar board, bool serial, const QString& text) {
    if (const BoardIdentity::Row* row = BoardIdentity::answerRow(board, serial))
        if (auto* box = findChild<QLineEdit*>(QString::fromLatin1(row->box)))
            box->setText(text);
    showEmptyWords();
}

void FrmSetModelAndSerialNumber::showEmptyWords() {
    // In the boot block the boxes say so instead.
    if (m_ctx.model->bootMode)
        return;
    for (const BoardIdentity::Row& row : BoardIdentity::rows())
        if (auto* box = findChild<QLineEdit*>(QString::fromLatin1(row.box)))
            box->setPlaceholderText(emptyWord(*m_ctx.model, row));
}
