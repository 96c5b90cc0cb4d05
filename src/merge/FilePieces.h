#pragma once

#include <cstring>
#include <string_view>

namespace quillmere {

// Calls visit with every non-empty piece of the bytes cut at each CR LF pair, in order, without
// building a list of them. A lone CR or LF stays inside its piece.
template <typename Visit> void forEachFilePiece(std::string_view bytes, Visit&& visit) {
    const char* start = bytes.data();
    const char* scan = start;
    const char* const end = bytes.data() + bytes.size();
    while (scan != end) {
        const auto* lineFeed =
            static_cast<const char*>(std::memchr(scan, '\n', static_cast<std::size_t>(end - scan)));
        if (!lineFeed)
            break;
        if (lineFeed > start && lineFeed[-1] == '\r') {
            if (lineFeed - 1 > start)
                visit(std::string_view(start, static_cast<std::size_t>(lineFeed - 1 - start)));
            start = lineFeed + 1;
        }
        scan = lineFeed + 1;
    }
    if (end > start)
        visit(std::string_view(start, static_cast<std::size_t>(end - start)));
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
