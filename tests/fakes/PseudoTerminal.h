#pragma once

#include <QByteArray>
#include <QString>

namespace quillmere::test {

// A pseudo-terminal whose other end a started program opens by its path (as its standard error,
// say), so that the program finds a terminal there. What the program writes is read back here
// byte for byte: the terminal is raw, adding and turning nothing. Not on Windows, which has no
// such thing for a program to open by a path.
class PseudoTerminal final {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Why no pseudo-terminal could be opened here; empty when one was.
    const QString& unavailable() const { return m_unavailable; }
    // The program's end.
    const QString& path() const { return m_path; }
    // What was written to the program's end and not read yet, without waiting for more.
    QByteArray takeWritten();

private:
    int m_ours = -1;
    int m_theirs = -1; // held open, so that what was written stays readable after the program ends
    QString m_path;
    QString m_unavailable;
};

} // namespace quillmere::test
