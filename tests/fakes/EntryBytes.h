#pragma once

#include "lists/EntryList.h"

#include <QByteArray>
#include <QByteArrayList>
#include <string_view>

namespace quillmere::test {

// Test data is written as QByteArrays: one byte, one character, as in the list files.

inline std::string_view viewOf(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

inline EntryList listOf(const QByteArrayList& entries) {
    EntryList list;
    for (const QByteArray& entry : entries)
        list.append(viewOf(entry));
    return list;
}

inline QByteArrayList entriesOf(const EntryList& list) {
    QByteArrayList out;
    for (std::string_view entry : list)
        out << QByteArray(entry.data(), static_cast<qsizetype>(entry.size()));
    return out;
}

} // namespace quillmere::test
