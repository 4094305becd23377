#include "platform/gui/QtDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

Dialogs::Answer QtDialogs::message(QWidget* parent, const QString& text, const QString& title, Buttons buttons,
                                   Icon icon) {
    QMessageBox box(parent);
    box.setText(text);
    box.setWindowTitle(title.isEmpty() ? QApplication::applicationName() : title);
    switch (icon) {
    case Information: box.setIcon(QMessageBox::Information); break;
    case Warning: box.setIcon(QMessageBox::Warning); break;
    case Critical: box.setIcon(QMessageBox::Critical); break;
    case Question: box.setIcon(QMessageBox::Question); break;
    case NoIcon: break;
    }
    switch (buttons) {
    case Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case YesNoCancel: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel); break;
    }
    // Every question of the tool erases, overwrites or writes to the monitor when answered OK or Yes: a stray
    // Enter takes the answer that changes nothing.
    if (buttons != Ok)
        box.setDefaultButton(buttons == YesNo ? QMessageBox::No : QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes: return AnswerYes;
    case QMessageBox::No: return AnswerNo;
    case QMessageBox::Cancel: return AnswerCancel;
    default: return buttons == Ok || buttons == OkCancel ? AnswerOk : AnswerCancel;
    }
}

namespace {
QString startPath(const Dialogs::FileRequest& r) {
    QString dir = r.startDir;
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QDir::homePath();
    return r.proposedName.isEmpty() ? dir : QDir(dir).filePath(r.proposedName);
}
} // namespace

QString QtDialogs::openFile(QWidget* parent, const FileRequest& request) {
    QFileDialog dialog(parent, request.title, startPath(request), request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

QString QtDialogs::saveFile(QWidget* parent, const FileRequest& request) {
    QFileDialog dialog(parent, request.title, startPath(request), request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!request.overwritePrompt)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

QString QtDialogs::inputBox(QWidget* parent, const QString& prompt, const QString& title, const QString& defaultText,
                            bool* ok) {
    return QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, defaultText, ok);
}
