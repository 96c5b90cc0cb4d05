#pragma once

#include <cstring>
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

// True when the bytes hold a CR LF pair.
inline bool holdsLineBreak(std::string_view bytes) {
    for (std::size_t at = 1; at < bytes.size(); ++at) {
        if (bytes[at] == '\n' && bytes[at - 1] == '\r')
            return true;
    }
    return false;
}

} // namespace quillmere
