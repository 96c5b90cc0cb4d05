#include "app/files/EditJournal.h"
#include "cli/CliCommand.h"
#include "core/audit/DomainQuery.h"
#include "core/audit/ListCheck.h"
#include "core/lists/JournalFormat.h"

#include <optional>

namespace quillmere::cli {

namespace {

constexpr CommandOption kIgnoreCase{"ignore-case",
                                    "query: also show entries differing in letter case."};
constexpr CommandOption kList{"list", "check: only this list.", "main|added|removed"};
constexpr CommandOption kQueryOptions[] = {kIgnoreCase};
constexpr CommandOption kCheckOptions[] = {kList};

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

int query(CliContext& context, const CommandOptions& options, const QStringList& arguments) {
    context.saveAfterwards = false;
    EntryList entries;
    // A domain that cannot be listed is an error, not an answer.
    if (toEntries(context, arguments, entries) != Success)
        return Usage;
    const std::vector<std::string> domains(entries.begin(), entries.end());
    const std::vector<DomainAnswer> answers =
        queryDomains(context.lists, domains, options.isSet(kIgnoreCase));
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

int check(CliContext& context, const CommandOptions& options, const QStringList&) {
    context.saveAfterwards = false;
    const QString checkedList = options.value(kList);
    std::optional<ListId> only;
    if (!checkedList.isEmpty()) {
        for (ListId id : {ListId::Main, ListId::Added, ListId::Removed}) {
            const std::string_view name = listName(id);
            if (checkedList == QLatin1String(name.data(), static_cast<qsizetype>(name.size())))
                only = id;
        }
        if (!only) {
            context.printError(
                QStringLiteral("Unknown list \"%1\": use main, added or removed").arg(checkedList));
            return Usage;
        }
    }
    const std::vector<CheckFinding> findings = checkLists(context.lists, only);
    for (const CheckFinding& finding : findings)
        context.printEntry(findingLine(finding));
    context.printEntry(checkSummary(findings));
    return findings.empty() ? Success : Failure;
}

int history(CliContext& context, const CommandOptions&, const QStringList& arguments) {
    context.saveAfterwards = false;
    EntryList domain;
    if (const int status = toEntries(context, arguments, domain); status != Success)
        return status;
    // No journal yet is an empty history; a folder or FIFO in its place is not. The journal
    // grows with every save, so it is read a part at a time.
    const QString error = forEachJournalLine(context.dataPath, [&](std::string_view line) {
        if (domain.empty() || journalLineDomain(line) == domain[0])
            context.printEntry(line);
    });
    if (!error.isEmpty()) {
        context.printError(error);
        return Failure;
    }
    return Success;
}

constexpr CliCommand kCommands[] = {
    {"query", "DOMAIN... [--ignore-case]",
     "where each domain is listed, and its parent domains in the main list",
     "Prints, for each DOMAIN, every line of the main list that holds it (every copy),\n"
     "its lines in the added and removed lists, and every main-list entry that is one\n"
     "of its parent domains, one line each: \"DOMAIN: LIST:LINE: ENTRY: KIND\", KIND\n"
     "being \"exact\" or \"parent domain\". A domain found nowhere prints\n"
     "\"DOMAIN: not listed\". Changes nothing.\n"
     "Exit status: 0 when the main list holds every DOMAIN itself, 1 when it lacks\n"
     "one, 2 on error.\n"
     "\n"
     "--ignore-case  also print entries that differ in letter case only (KIND \"letter\n"
     "               case differs\" or \"parent domain, letter case differs\").",
     1, -1, query, MainListUse::Loaded, kQueryOptions, neverChangesLists},
    {"check", "[--list main|added|removed]",
     "report entries a domain blacklist should not hold; changes nothing",
     "Prints one line per entry and reason, \"LIST:LINE: ENTRY: REASON\", sorted by\n"
     "list and line, for blanks, upper-case letters, characters a host name cannot\n"
     "hold, URL parts (scheme, path, port, @), IP addresses, empty labels, leading\n"
     "or trailing dots, labels over 63 or names over 253 bytes, a lone CR or LF, the\n"
     "same entry twice in one list and entries in both tracking lists; then a\n"
     "summary line counting each reason. Changes nothing.\n"
     "Exit status: 0 when nothing was found, 1 when something was, 2 on error.\n"
     "\n"
     "--list LIST  check only the main, added or removed list.",
     0, 0, check, MainListUse::Loaded, kCheckOptions, neverChangesLists},
    {"history",
     "[DOMAIN]",
     "print the journal of hand edits, or its lines for one domain",
     "Prints the journal of hand edits, url-domain-log.txt in the data folder: one\n"
     "tab-separated line per saved edit (time in UTC, user, host, window or cli,\n"
     "action, domain). With DOMAIN, only the lines about that domain.",
     0,
     1,
     history,
     MainListUse::Unused,
     {},
     neverChangesLists},
};

} // namespace

std::span<const CliCommand> answerCommands() {
    return kCommands;
}

int failureStatus(const CliCommand& command) {
    return command.run == query || command.run == check ? Usage : Failure;
}

} // namespace quillmere::cli
