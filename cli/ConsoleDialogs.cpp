#include "cli/ConsoleDialogs.h"

#include <cstdio>

namespace {
void printMessage(const QString& text, const QString& title) {
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (!title.isEmpty())
        shown = title + QStringLiteral(": ") + shown;
    std::fprintf(stderr, "%s\n", qPrintable(shown));
}
} // namespace

bool ConsoleDialogs::confirm(const QString& question, const QString& title) {
    printMessage(question, title);
    if (m_agree) {
        std::fprintf(stderr, "Yes (--yes)\n");
        return true;
    }
    m_questionRefused = true;
    std::fprintf(stderr, "Refused: give --yes to agree.\n");
    return false;
}

Dialogs::Answer ConsoleDialogs::message(QWidget*, const QString& text, const QString& title, Buttons buttons, Icon) {
    if (buttons == Ok) {
        printMessage(text, title);
        return AnswerOk;
    }
    const bool yes = confirm(text, title);
    if (buttons == OkCancel)
        return yes ? AnswerOk : AnswerCancel;
    return yes ? AnswerYes : AnswerNo;
}

QString ConsoleDialogs::openFile(QWidget*, const FileRequest&) {
    return m_file;
}

QString ConsoleDialogs::saveFile(QWidget*, const FileRequest&) {
    return m_file;
}

QString ConsoleDialogs::inputBox(QWidget*, const QString&, const QString&, const QString&, bool* ok) {
    *ok = false;
    return QString();
}
