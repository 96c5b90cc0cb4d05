#pragma once

#include <QByteArray>
#include <QSettings>
#include <QString>

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
// and "/mnt/a,b" as a list. Files are written with one section per key, their lines ending in
// CR LF on Windows and LF elsewhere; either reads. The form earlier versions wrote, a section
// naming the first part of the path and names holding the rest ("[HKEY_LOCAL_MACHINE]" with
// "SOFTWARE\...\imailPath=..."), still reads as the values they stored: in those lines quotes
// around a value and doubled backslashes are undone.

// The keys of a file in QSettings' form ("HKEY_LOCAL_MACHINE/SOFTWARE/.../imailPath"). False,
// with the reason naming the line, for a line that is neither a section, a name=value line in a
// section, a comment nor blank.
bool parseLiteralIni(const QByteArray& bytes, QSettings::SettingsMap& keys, QString* error);

// The text of a file holding the keys; false when a key cannot be written literally (a value
// holding a line break, a key outside any section).
bool writeLiteralIni(const QSettings::SettingsMap& keys, QByteArray& bytes);

// The format registered with QSettings for these files.
QSettings::Format literalIniFormat();

} // namespace quillmere
