#pragma once
// The message boxes and file dialogs of the core, on a console: messages go to standard error, a question is
// agreed only when the command line says --yes (and refused otherwise, saying so), and the file dialog returns
// the file named on the command line.
#include "platform/Dialogs.h"

#include <QStringList>

class ConsoleDialogs : public Dialogs {
public:
    explicit ConsoleDialogs(bool agree) : m_agree(agree) {}

    // What the next file dialog returns.
    void setFile(const QString& path) { m_file = path; }
    // A question from the command line's own code, with the same rule.
    bool confirm(const QString& question, const QString& title = QString());
    bool questionRefused() const { return m_questionRefused; }

    Answer message(QWidget* parent, const QString& text, const QString& title, Buttons buttons, Icon icon) override;
    QString openFile(QWidget* parent, const FileRequest& request) override;
    QString saveFile(QWidget* parent, const FileRequest& request) override;
    QString inputBox(QWidget* parent, const QString& prompt, const QString& title, const QString& defaultText,
                     bool* ok) override;

private:
    bool m_agree;
    bool m_questionRefused = false;
    QString m_file;
};
