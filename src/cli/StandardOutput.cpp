#include "cli/StandardOutput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace quillmere::cli {

void StandardOutput::write(std::string_view bytes) {
    if (failed() || bytes.empty())
        return;
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size())
        noteFailure();
}

void StandardOutput::flush() {
    if (failed())
        return;
    errno = 0;
    if (std::fflush(stdout) != 0)
        noteFailure();
}

QString StandardOutput::failure() const {
    // errno, not the Windows error code that qt_error_string takes on Windows.
    return QStringLiteral("Cannot write to standard output: %1")
        .arg(QString::fromLocal8Bit(std::strerror(m_error)));
}

void StandardOutput::noteFailure() {
    // A stream that fails without saying why is still a failure.
    m_error = errno != 0 ? errno : EIO;
}

} // namespace quillmere::cli
