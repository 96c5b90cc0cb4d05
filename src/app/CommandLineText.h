#pragma once

#include <QCommandLineParser>
#include <QString>

namespace quillmere {

// What both programs print for --help and --version. Qt's own help text names the program by the
// path it was started with; these name it as it is installed, as the manual pages do.

// The parser's help text under the line "Usage: " followed by usage.
QString helpText(const QCommandLineParser& parser, const QString& usage);

// The program's name and this build's version, such as "quillmere-cli 1.0.4".
QString versionText(const QString& program);

} // namespace quillmere
