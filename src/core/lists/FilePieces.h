#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace quillmere {

// The non-empty pieces of bytes cut at each CR LF pair, one at a time, in order. A lone CR or LF
// stays inside its piece.
class FilePieceCursor final {
public:
    explicit FilePieceCursor(std::string_view bytes)
        : m_start(bytes.data())
        , m_scan(bytes.data())
        , m_end(bytes.data() + bytes.size()) {}

    // False when no piece is left.
    bool next(std::string_view& piece) {
        while (m_scan != m_end) {
            const auto* lineFeed = static_cast<const char*>(
                std::memchr(m_scan, '\n', static_cast<std::size_t>(m_end - m_scan)));
            if (!lineFeed)
                break;
            m_scan = lineFeed + 1;
            if (lineFeed > m_start && lineFeed[-1] == '\r') {
                const char* const start = m_start;
                m_start = m_scan;
                if (lineFeed - 1 > start) {
                    piece = std::string_view(start, static_cast<std::size_t>(lineFeed - 1 - start));
                    return true;
                }
            }
        }
        m_scan = m_end;
        if (m_end == m_start)
            return false;
        piece = std::string_view(m_start, static_cast<std::size_t>(m_end - m_start));
        m_start = m_end;
        return true;
    }

private:
    const char* m_start;
    const char* m_scan;
    const char* m_end;
};

// Calls visit with every non-empty piece of the bytes cut at each CR LF pair, in order, without
// building a list of them.
template <typename Visit> void forEachFilePiece(std::string_view bytes, Visit&& visit) {
    FilePieceCursor cursor(bytes);
    for (std::string_view piece; cursor.next(piece);)
        visit(piece);
}

// Calls visit with the same pieces as forEachFilePiece would for the whole of a file that is read
// a part at a time: read(into, size) fills up to size bytes and gives how many, 0 at the end and a
// negative number when the read failed. Only one part and the piece it ends in are held at once,
// so a file of any size costs the memory of its longest line. False when a read failed.
template <typename Read, typename Visit>
bool forEachReadPiece(Read&& read, Visit&& visit, std::size_t partSize = 64 * 1024) {
    std::string buffer;
    std::size_t kept = 0; // the bytes after the last CR LF so far, at the front of the buffer
    for (;;) {
        buffer.resize(kept + partSize);
        const auto got = read(buffer.data() + kept, partSize);
        if (got < 0)
            return false;
        const std::size_t filled = kept + static_cast<std::size_t>(got);
        const std::string_view bytes(buffer.data(), filled);
        if (got == 0) {
            forEachFilePiece(bytes, visit);
            return true;
        }
        // The bytes kept hold no CR LF: only the part just read, with the CR that may end the
        // bytes kept before it, can end a piece.
        const std::size_t from = kept > 0 ? kept - 1 : 0;
        const std::size_t lastBreak = bytes.substr(from).rfind("\r\n");
        if (lastBreak == std::string_view::npos) {
            kept = filled;
            continue;
        }
        const std::size_t cut = from + lastBreak + 2;
        forEachFilePiece(bytes.substr(0, cut), visit);
        kept = filled - cut;
        std::memmove(buffer.data(), buffer.data() + cut, kept);
    }
}

// True when the bytes hold a CR LF pair.
inline bool holdsLineBreak(std::string_view bytes) {
    return bytes.find("\r\n") != std::string_view::npos;
}

} // namespace quillmere
