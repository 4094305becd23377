#pragma once
// Dialogs for tests: every message is recorded, and answers come from a script (OK by default).
#include "platform/Dialogs.h"
#include "platform/gui/QtDialogs.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <QQueue>
#include <QStringList>
#include <functional>

class ScriptedDialogs : public Dialogs {
public:
    struct Message {
        QString text;
        QString title;
        Buttons buttons;
    };

    Answer message(QWidget* parent, const QString& text, const QString& title, Buttons buttons, Icon icon) override {
        messages << Message{text, title, buttons};
        if (whileOpen)
            whileOpen(messages.last());
        if (strayEnter) {
            QTimer::singleShot(0, [] {
                if (QWidget* box = QApplication::activeModalWidget())
                    QTest::keyClick(box, Qt::Key_Return);
            });
            return QtDialogs().message(parent, text, title, buttons, icon);
        }
        if (!answers.isEmpty())
            return answers.dequeue();
        return buttons == YesNo || buttons == YesNoCancel ? AnswerYes : AnswerOk;
    }
    QString openFile(QWidget*, const FileRequest& request) override {
        fileRequests << request;
        return files.isEmpty() ? QString() : files.dequeue();
    }
    QString saveFile(QWidget*, const FileRequest& request) override {
        fileRequests << request;
        return files.isEmpty() ? QString() : files.dequeue();
    }
    QString inputBox(QWidget*, const QString& prompt, const QString&, const QString& defaultText, bool* ok) override {
        prompts << prompt;
        const bool has = !inputs.isEmpty();
        if (ok)
            *ok = has;
        return has ? inputs.dequeue() : defaultText;
    }

    QStringList texts() const {
        QStringList out;
        for (const Message& m : messages)
            out << m.text;
        return out;
    }

    // Runs while a box is open, as a user reading it: a test lets the tool's event loop go on meanwhile.
    std::function<void(const Message&)> whileOpen;
    QList<Message> messages;
    QQueue<Answer> answers;
    // Shows each message as the tool's own box and answers it with a stray Enter.
    bool strayEnter = false;
    QList<FileRequest> fileRequests;
    // File names the next file dialogs return (empty queue: cancelled).
    QQueue<QString> files;
    QQueue<QString> inputs;
    QStringList prompts;
};
