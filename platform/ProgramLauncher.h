#pragma once
// Starting external programs and opening documents in the desktop's viewer.
#include <QString>
#include <QStringList>

class ProgramLauncher {
public:
    virtual ~ProgramLauncher() = default;
    // False when the program could not be started.
    virtual bool startProgram(const QString& program, const QStringList& arguments) = 0;
    virtual bool openDocument(const QString& path) = 0;
    // The full path of a program found on the search path, or empty.
    virtual QString findProgram(const QString& name) = 0;
};
