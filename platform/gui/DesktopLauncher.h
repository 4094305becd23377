#pragma once
#include "platform/ProgramLauncher.h"

class DesktopLauncher : public ProgramLauncher {
public:
    bool startProgram(const QString& program, const QStringList& arguments) override;
    bool openDocument(const QString& path) override;
    QString findProgram(const QString& name) override;
};
