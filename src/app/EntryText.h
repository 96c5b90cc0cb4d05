#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace quillmere {

// Entries are ISO-8859-1 bytes; the widgets speak QString. These are the only conversions.
QString entryToText(std::string_view entry);

// The typed text as an entry, or nothing when a character has no place in ISO-8859-1.
std::optional<std::string> textToEntry(const QString& text);

// Why the text cannot be stored as an entry, or an empty string when it can.
QString unstorableTextMessage(const QString& text);

} // namespace quillmere
