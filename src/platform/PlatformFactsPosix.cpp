#include "platform/PlatformFacts.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

namespace quillmere::platform {

QString userName() {
    if (const passwd* entry = getpwuid(geteuid()))
        return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("USER");
}

std::filesystem::path nativePath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

void openClosedStandardStreams() {
    for (int descriptor = 0; descriptor <= 2; ++descriptor) {
        if (::fcntl(descriptor, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free descriptor is the closed one; should it be another, it is let go.
        const int opened = ::open("/dev/null", O_RDWR);
        if (opened >= 0 && opened != descriptor)
            ::close(opened);
    }
}

void useBinaryStandardStreams() {}

bool standardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

} // namespace quillmere::platform
