#pragma once
// The questions the windows ask before a job that cannot be undone (writing a file to the monitor, replacing its
// firmware), on a console: printed to standard error and agreed only when the command line says --yes.
#include <QString>

class Questions {
public:
    explicit Questions(bool agree) : m_agree(agree) {}
    bool confirm(const QString& question, const QString& title);
    // A question was refused for want of --yes.
    bool refused() const { return m_refused; }

private:
    bool m_agree;
    bool m_refused = false;
};
