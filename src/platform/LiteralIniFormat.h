#pragma once

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <optional>

namespace quillmere {

// The settings file as an administrator writes it by hand: a key is a [section] named by its full
// path, a value a name=value line under it, and blank lines and lines starting with ";" or "#"
// are ignored.
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Brindlecove\Quillmere]
//   imailPath=C:\Imail
//
// A value is everything after the first "=", exactly: no quoting, no escapes, no lists, so a
// path reads back as it was typed. QSettings' own INI format would read "C:\Imail" as "C:mail"
// and "/mnt/a,b" as a list. Either line end reads. The form earlier versions wrote, a section
// naming the first part of the path and names holding the rest ("[HKEY_LOCAL_MACHINE]" with
// "SOFTWARE\...\imailPath=..."), still reads as the values they stored: in those lines quotes
// around a value and doubled backslashes are undone.

// The keys of a file in QSettings' form ("HKEY_LOCAL_MACHINE/SOFTWARE/.../imailPath"). False,
// with the reason naming the line, for a line that is neither a section, a name=value line in a
// section, a comment nor blank.
bool parseLiteralIni(const QByteArray& bytes, QSettings::SettingsMap& keys, QString* error);

// The file's bytes with one key (in QSettings' form) set to a value, or removed for none, every
// other line as it was: comments, blank lines, the order, and names given twice. The value is
// set in the line that reads (the last of its name) and a removal takes every line of the key;
// lines of the earlier form naming it go, as they would read in its place or repeat it. A new
// value goes at the end of its section, else into a new section at the end. Lines end as the
// file's do, a new file's as the platform's text files. False for a value holding a line break.
bool editLiteralIni(const QByteArray& bytes, const QString& key,
                    const std::optional<QString>& value, QByteArray& edited);

} // namespace quillmere
