#pragma once

#include "core/lists/EntryList.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quillmere {

// The two selections a match makes: first the entry that brings up to 14 following entries into
// view, then the match itself, which stays the only selected entry.
struct FindSelection {
    std::size_t first = 0;
    std::size_t match = 0;
};

// The find box's incremental search over the Main list. While the text grows the search goes on
// from the selected entry; any other key starts it again at the first entry.
class FindBoxSearch final {
public:
    // The text as the search sees it: its bytes, absent when it holds a character that no entry
    // can hold (such a text matches nothing), and its length in UTF-16 code units.
    struct Text {
        std::optional<std::string_view> bytes;
        std::size_t length = 0;
    };

    // A key other than Escape was released in the find box. Returns the selections to make, or
    // nothing when no entry begins with the text (the selection then stays as it is).
    std::optional<FindSelection> keyReleased(const EntryList& main, const Text& text,
                                             std::optional<std::size_t> selected);

    // The window's load starts the length memory afresh.
    void reset() { m_lastFindLength = 0; }
    std::int16_t lastFindLength() const { return m_lastFindLength; }

private:
    // 16 bits, as the window has always kept it; longer texts are clamped.
    std::int16_t m_lastFindLength = 0;
};

} // namespace quillmere
