#include "platform/PlatformFacts.h"

#include <QFile>
#include <QStringDecoder>
#include <cerrno>
#include <cstring>
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

CommandLineArguments::CommandLineArguments(int argc, char** argv) {
    // As QString::fromLocal8Bit converts each argument: UTF-8, nothing carried from one to the
    // next. A character takes at most one UTF-16 unit per byte.
    std::size_t bytes = 0;
    for (int k = 0; k < argc; ++k)
        bytes += std::strlen(argv[k]);
    m_text.resize(static_cast<qsizetype>(bytes));
    m_list.reserve(argc);
    QStringDecoder decoder(QStringDecoder::System, QStringDecoder::Flag::Stateless);
    QChar* end = m_text.data();
    for (int k = 0; k < argc; ++k) {
        QChar* const start = end;
        end = decoder.appendToBuffer(end, QByteArrayView(argv[k]));
        m_list.append(QString::fromRawData(start, end - start));
    }
}

} // namespace quillmere::platform
