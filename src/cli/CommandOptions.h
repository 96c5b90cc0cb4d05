#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QMap>
#include <QString>
#include <span>

class QCommandLineParser;

namespace quillmere::cli {

// An option that only some commands take. The commands that take it declare it; the tool lists it
// with its own options and refuses it, as wrong usage, after any other command.
struct CommandOption {
    const char* name;
    const char* description; // in the tool's list of options: which commands take it, and what for
    const char* valueName = nullptr; // nullptr: a flag, without a value

    QCommandLineOption parserOption() const;
};

// The options a command declared, as the command line gives them.
class CommandOptions final {
public:
    CommandOptions() = default;
    CommandOptions(const QCommandLineParser& parser, std::span<const CommandOption> declared);

    bool isSet(const CommandOption& option) const;
    // Empty when the option is not given.
    QString value(const CommandOption& option) const;

private:
    QMap<QString, QString> m_given;
};

} // namespace quillmere::cli
