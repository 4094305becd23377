#pragma once
// Message boxes, file dialogs and the input box, behind an interface so that window tests script the answers.
#include <QString>

class QWidget;

class Dialogs {
public:
    enum Buttons { Ok, OkCancel, YesNo, YesNoCancel };
    enum Icon { NoIcon, Information, Warning, Critical, Question };
    enum Answer { AnswerOk, AnswerCancel, AnswerYes, AnswerNo };

    struct FileRequest {
        QString title;
        QString filter;        // "Text (*.txt)|*.txt" style is not used: Qt filter text, e.g. "Data (*.mdv)"
        QString startDir;
        QString proposedName;
        bool mustExist = false;       // open: the file must exist
        bool overwritePrompt = true;  // save: ask before replacing
    };

    virtual ~Dialogs() = default;
    // A question's default button (the one Enter presses) is its safe answer: Cancel, or No where there is none.
    virtual Answer message(QWidget* parent, const QString& text, const QString& title = QString(),
                           Buttons buttons = Ok, Icon icon = NoIcon) = 0;
    // Empty when cancelled.
    virtual QString openFile(QWidget* parent, const FileRequest& request) = 0;
    virtual QString saveFile(QWidget* parent, const FileRequest& request) = 0;
    // ok false when cancelled.
    virtual QString inputBox(QWidget* parent, const QString& prompt, const QString& title,
                             const QString& defaultText, bool* ok) = 0;
};
