#pragma once
#include "platform/Dialogs.h"

// Real message boxes and file dialogs.
class QtDialogs : public Dialogs {
public:
    Answer message(QWidget* parent, const QString& text, const QString& title, Buttons buttons, Icon icon) override;
    QString openFile(QWidget* parent, const FileRequest& request) override;
    QString saveFile(QWidget* parent, const FileRequest& request) override;
    QString inputBox(QWidget* parent, const QString& prompt, const QString& title, const QString& defaultText,
                     bool* ok) override;
};
