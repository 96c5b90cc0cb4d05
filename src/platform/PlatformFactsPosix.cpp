#include "platform/PlatformFacts.h"

#include <QFile>
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

void useBinaryStandardStreams() {}

bool standardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

} // namespace quillmere::platform
