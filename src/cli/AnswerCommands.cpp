#include "CliCommand.h"
#include "inspect/DomainQuery.h"
#include "inspect/ListCheck.h"
#include "lists/EditJournal.h"
#include "lists/JournalFormat.h"
#include "lists/ListFiles.h"

#include <QCommandLineParser>
#include <optional>

namespace quillmere::cli {

namespace {

const QString kIgnoreCaseName = QStringLiteral("ignore-case");
const QString kListName = QStringLiteral("list");

std::string_view matchText(MatchKind kind) {
    switch (kind) {
    case MatchKind::Exact:
        return "exact";
    case MatchKind::OtherCase:
        return "letter case differs";
    case MatchKind::Parent:
        return "parent domain";
    case MatchKind::ParentOtherCase:
        return "parent domain, letter case differs";
    }
    return {};
}

std::string hitLine(std::string_view domain, const QueryHit& hit) {
    std::string line(domain);
    line += ": ";
    line += listName(hit.list);
    line += ':';
    line += std::to_string(hit.line);
    line += ": ";
    line += hit.entry;
    line += ": ";
    line += matchText(hit.kind);
    return line;
}

int query(CliContext& context, const QStringList& arguments) {
    context.saveAfterwards = false;
    std::vector<std::string> domains;
    if (!toEntries(context, arguments, domains))
        return Usage;
    const std::vector<DomainAnswer> answers =
        queryDomains(context.lists, domains, context.ignoreCase);
    int status = Success;
    for (std::size_t i = 0; i < domains.size(); ++i) {
        if (answers[i].hits.empty())
            context.printEntry(domains[i] + ": not listed");
        for (const QueryHit& hit : answers[i].hits)
            context.printEntry(hitLine(domains[i], hit));
        if (!answers[i].inMain)
            status = Failure;
    }
    return status;
}

int check(CliContext& context, const QStringList&) {
    context.saveAfterwards = false;
    std::optional<ListId> only;
    if (!context.checkedList.isEmpty()) {
        for (ListId id : {ListId::Main, ListId::Added, ListId::Removed}) {
            const std::string_view name = listName(id);
            if (context.checkedList ==
                QLatin1String(name.data(), static_cast<qsizetype>(name.size())))
                only = id;
        }
        if (!only) {
            context.printError(QStringLiteral("Unknown list \"%1\": use main, added or removed")
                                   .arg(context.checkedList));
            return Usage;
        }
    }
    const std::vector<CheckFinding> findings = checkLists(context.lists, only);
    for (const CheckFinding& finding : findings)
        context.printEntry(findingLine(finding));
    context.printEntry(checkSummary(findings));
    return findings.empty() ? Success : Failure;
}

int history(CliContext& context, const QStringList& arguments) {
    context.saveAfterwards = false;
    std::vector<std::string> domain;
    if (!toEntries(context, arguments, domain))
        return Usage;
    const QString path = journalPath(context.dataPath);
    if (!fileExists(path))
        return Success;
    const ReadResult read = readFileBytes(path);
    if (!read.bytes) {
        context.printError(read.error);
        return Failure;
    }
    for (std::string_view line : splitFileBytes(**read.bytes)) {
        if (domain.empty() || journalLineDomain(line) == std::string_view(domain.front()))
            context.printEntry(line);
    }
    return Success;
}

constexpr CliCommand kCommands[] = {
    {"query", "DOMAIN... [--ignore-case]",
     "where each domain is listed, and its parent domains in the main list", 1, -1, query},
    {"check", "[--list main|added|removed]",
     "report entries a domain blacklist should not hold; changes nothing", 0, 0, check},
    {"history", "[DOMAIN]", "print the journal of hand edits, or its lines for one domain", 0, 1,
     history},
};

} // namespace

std::span<const CliCommand> answerCommands() {
    return kCommands;
}

QList<QCommandLineOption> answerOptions() {
    return {
        QCommandLineOption(kIgnoreCaseName,
                           QStringLiteral("query: also show entries differing in letter case.")),
        QCommandLineOption(kListName, QStringLiteral("check: only this list."),
                           QStringLiteral("main|added|removed"))};
}

bool changesNothing(const CliCommand& command) {
    return command.run == query || command.run == check || command.run == history;
}

int failureStatus(const CliCommand& command) {
    return command.run == query || command.run == check ? Usage : Failure;
}

bool takeAnswerOptions(const QCommandLineParser& parser, const CliCommand& command,
                       CliContext& context) {
    context.ignoreCase = parser.isSet(kIgnoreCaseName);
    context.checkedList = parser.value(kListName);
    const char* misplaced = nullptr;
    if (context.ignoreCase && command.run != query)
        misplaced = "--ignore-case";
    else if (parser.isSet(kListName) && command.run != check)
        misplaced = "--list";
    if (!misplaced)
        return true;
    context.printError(QStringLiteral("The command %1 takes no %2 option.")
                           .arg(QLatin1String(command.name), QLatin1String(misplaced)));
    return false;
}

} // namespace quillmere::cli
