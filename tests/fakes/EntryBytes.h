#pragma once

#include "core/lists/EntryList.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QStringList>
#include <initializer_list>
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

// Short lists written as "a.ex|b.ex" ("" is the empty list).
inline EntryList split(const QString& text) {
    EntryList list;
    if (text.isEmpty())
        return list;
    for (const QString& entry : text.split(QLatin1Char('|')))
        list.append(viewOf(entry.toLatin1()));
    return list;
}

// Test texts as a list of strings, each byte one character.
inline QStringList lines(std::initializer_list<const char*> texts) {
    QStringList out;
    for (const char* text : texts)
        out << QString::fromLatin1(text);
    return out;
}

inline QString text(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

inline QString joined(const EntryList& list) {
    QStringList out;
    for (std::string_view entry : list)
        out << text(entry);
    return out.join(QLatin1Char('|'));
}

} // namespace quillmere::test
