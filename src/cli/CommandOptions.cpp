#include "cli/CommandOptions.h"

#include <QCommandLineParser>

namespace quillmere::cli {

QCommandLineOption CommandOption::parserOption() const {
    if (!valueName)
        return QCommandLineOption(QLatin1String(name), QLatin1String(description));
    return QCommandLineOption(QLatin1String(name), QLatin1String(description),
                              QLatin1String(valueName));
}

CommandOptions::CommandOptions(const QCommandLineParser& parser,
                               std::span<const CommandOption> declared) {
    for (const CommandOption& option : declared) {
        const QString name = QLatin1String(option.name);
        if (parser.isSet(name))
            m_given.insert(name, option.valueName ? parser.value(name) : QString());
    }
}

bool CommandOptions::isSet(const CommandOption& option) const {
    return m_given.contains(QLatin1String(option.name));
}

QString CommandOptions::value(const CommandOption& option) const {
    return m_given.value(QLatin1String(option.name));
}

} // namespace quillmere::cli
