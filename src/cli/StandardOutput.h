#pragma once

#include <QString>
#include <string_view>

namespace quillmere::cli {

// Standard output as the commands print to it, through stdio. It remembers the first write that
// failed and the system's reason (a full disk, a file-size limit, /dev/full), so that the output
// is never cut short without a word; after that failure nothing more is written.
class StandardOutput final {
public:
    void write(std::string_view bytes);
    // Hands what stdio still buffers to the system.
    void flush();

    bool failed() const { return m_error != 0; }
    // "Cannot write to standard output: REASON".
    QString failure() const;

private:
    void noteFailure();

    int m_error = 0;
};

} // namespace quillmere::cli
