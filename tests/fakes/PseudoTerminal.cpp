#include "fakes/PseudoTerminal.h"

#ifndef Q_OS_WIN
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace quillmere::test {

#ifdef Q_OS_WIN

PseudoTerminal::PseudoTerminal()
    : m_unavailable(QStringLiteral("Windows has no pseudo-terminal a program opens by a path")) {}

PseudoTerminal::~PseudoTerminal() = default;

QByteArray PseudoTerminal::takeWritten() {
    return QByteArray();
}

#else

PseudoTerminal::PseudoTerminal() {
    m_ours = posix_openpt(O_RDWR | O_NOCTTY);
    const char* name =
        m_ours >= 0 && grantpt(m_ours) == 0 && unlockpt(m_ours) == 0 ? ptsname(m_ours) : nullptr;
    if (name)
        m_theirs = open(name, O_RDWR | O_NOCTTY);
    termios mode{};
    if (m_theirs < 0 || tcgetattr(m_theirs, &mode) != 0) {
        m_unavailable = QStringLiteral("no pseudo-terminal: %1")
                            .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    cfmakeraw(&mode);
    tcsetattr(m_theirs, TCSANOW, &mode);
    fcntl(m_ours, F_SETFL, fcntl(m_ours, F_GETFL) | O_NONBLOCK);
    m_path = QString::fromLocal8Bit(name);
}

PseudoTerminal::~PseudoTerminal() {
    if (m_theirs >= 0)
        close(m_theirs);
    if (m_ours >= 0)
        close(m_ours);
}

QByteArray PseudoTerminal::takeWritten() {
    QByteArray written;
    char buffer[4096];
    for (ssize_t got; (got = read(m_ours, buffer, sizeof buffer)) > 0;)
        written.append(buffer, got);
    return written;
}

#endif

} // namespace quillmere::test
