#include "platform/PlatformFacts.h"

#include <QCoreApplication>
#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace quillmere::platform {

QString userName() {
    return qEnvironmentVariable("USERNAME");
}

std::filesystem::path nativePath(const QString& path) {
    return std::filesystem::path(path.toStdWString());
}

// A Windows process started without a standard handle gets none; no file takes its place.
void openClosedStandardStreams() {}

void useBinaryStandardStreams() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

bool standardErrorIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

// Qt reads the wide command line itself, which holds every character typed.
CommandLineArguments::CommandLineArguments(int, char**)
    : m_list(QCoreApplication::arguments()) {}

} // namespace quillmere::platform
