#include "core/lists/JournalFormat.h"

#include "core/lists/TrackedLists.h"

#include <algorithm>

namespace quillmere {

namespace {

constexpr std::size_t kStampFields = 4;

void appendField(std::string& text, std::string_view field) {
    const std::size_t start = text.size();
    text += field;
    std::replace_if(
        text.begin() + static_cast<std::ptrdiff_t>(start), text.end(),
        [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    text += '\t';
}

} // namespace

std::string journalLineStart(const JournalStamp& stamp) {
    std::string start;
    for (std::string_view field : {std::string_view(stamp.time), std::string_view(stamp.user),
                                   std::string_view(stamp.host), std::string_view(stamp.program)})
        appendField(start, field);
    return start;
}

void appendJournalLine(std::string& text, std::string_view lineStart, const Edit& edit,
                       std::string_view file) {
    text += lineStart;
    text += editActionName(edit.action);
    text += '\t';
    if (isDomainAction(edit.action)) {
        text += edit.domain;
    } else if (edit.action == EditAction::Sort) {
        text += listName(edit.list);
    } else {
        appendField(text, std::to_string(edit.gained));
        appendField(text, std::to_string(edit.lost));
        const std::size_t start = text.size();
        text += file;
        std::replace_if(
            text.begin() + static_cast<std::ptrdiff_t>(start), text.end(),
            [](char c) { return c == '\r' || c == '\n'; }, ' ');
    }
    text += "\r\n";
}

std::optional<std::string_view> journalLineDomain(std::string_view line) {
    std::size_t start = 0;
    for (std::size_t field = 0; field < kStampFields; ++field) {
        const std::size_t tab = line.find('\t', start);
        if (tab == std::string_view::npos)
            return std::nullopt;
        start = tab + 1;
    }
    const std::size_t tab = line.find('\t', start);
    if (tab == std::string_view::npos)
        return std::nullopt;
    const std::string_view action = line.substr(start, tab - start);
    for (EditAction candidate : {EditAction::Add, EditAction::Remove, EditAction::Unadd,
                                 EditAction::Reactivate, EditAction::Clear, EditAction::Trim}) {
        if (action == editActionName(candidate))
            return line.substr(tab + 1);
    }
    return std::nullopt;
}

} // namespace quillmere
