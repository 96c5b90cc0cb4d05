#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>
#include <string_view>

// The small differences between the systems the program runs on, in one place.
namespace quillmere::platform {

#ifdef _WIN32
// The line end of the platform's text files, which the command-line tool and the settings file
// use.
inline constexpr std::string_view kTextLineEnd = "\r\n";
// Whether two paths that differ only in letter case name the same file.
inline constexpr bool kPathsIgnoreCase = true;
// Whether paths are written as on Windows: a drive letter or a share, and backslashes.
inline constexpr bool kWindowsPaths = true;
#else
inline constexpr std::string_view kTextLineEnd = "\n";
inline constexpr bool kPathsIgnoreCase = false;
inline constexpr bool kWindowsPaths = false;
#endif

// The account the process runs as, also where the environment does not say (a scheduled task).
QString userName();

// The path as the standard library's file functions take it, every character kept.
std::filesystem::path nativePath(const QString& path);

// Opens the null device on each of standard input, output and error that the process was
// started without, before anything else opens a file: the first file opened would take the
// closed descriptor, and the messages meant for the terminal would be written into it.
void openClosedStandardStreams();

// Makes standard output and error pass bytes unchanged: the tool ends its lines itself, and
// text mode would also turn an entry's lone LF into CR LF.
void useBinaryStandardStreams();

// Whether standard error goes to a terminal (a console on Windows), where a progress line that
// is rewritten in place can be read.
bool standardErrorIsTerminal();

// The program's arguments as QCoreApplication::arguments() gives them, made once the application
// object exists. A command given a hundred thousand domains would otherwise cost as many
// allocations: on Linux, where that call converts each argument from UTF-8 into a string of its
// own, every argument is converted the same way into one block, and the strings view it (they
// copy themselves when changed). Windows takes its own wide command line, as Qt does.
class CommandLineArguments final {
public:
    CommandLineArguments(int argc, char** argv);
    CommandLineArguments(const CommandLineArguments&) = delete;
    CommandLineArguments& operator=(const CommandLineArguments&) = delete;

    // Valid while this object lives.
    const QStringList& list() const { return m_list; }

private:
    QString m_text;
    QStringList m_list;
};

} // namespace quillmere::platform
