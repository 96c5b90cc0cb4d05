#include "cli/CliCommand.h"

#include <optional>

namespace quillmere::cli {

namespace {

std::optional<ListId> parseListName(const CliContext& context, const QString& name) {
    if (name == QLatin1String("main"))
        return ListId::Main;
    if (name == QLatin1String("added"))
        return ListId::Added;
    if (name == QLatin1String("removed"))
        return ListId::Removed;
    context.printError(QStringLiteral("Unknown list \"%1\": use main, added or removed").arg(name));
    return std::nullopt;
}

int show(CliContext& context, const CommandOptions&, const QStringList& arguments) {
    const auto id = parseListName(context, arguments.at(0));
    if (!id)
        return Usage;
    for (std::string_view entry : context.lists.list(*id))
        context.printEntry(entry);
    return Success;
}

int count(CliContext& context, const CommandOptions&, const QStringList&) {
    for (ListId id : {ListId::Main, ListId::Added, ListId::Removed})
        context.printLine(QString::fromStdString(context.lists.countText(id)));
    return Success;
}

int add(CliContext& context, const CommandOptions&, const QStringList& arguments) {
    EntryList domains;
    if (const int status = toEntries(context, arguments, domains); status != Success)
        return status;
    const std::vector<AddOutcome> outcomes = context.lists.addEach(domains);
    for (std::size_t i = 0; i < domains.size(); ++i) {
        if (outcomes[i] == AddOutcome::AlreadyListed)
            context.printError(entryText(domains[i]) + QStringLiteral(" is already blacklisted"));
    }
    return Success;
}

// Applies a command to the first entry of its list equal to each argument; an argument that
// matches nothing is reported and makes the run a failure, the others are still applied.
int applyToFirstMatch(CliContext& context, const QStringList& arguments,
                      std::vector<bool> (TrackedLists::*command)(const EntryList&),
                      const char* absentText) {
    EntryList domains;
    if (const int status = toEntries(context, arguments, domains); status != Success)
        return status;
    const std::vector<bool> done = (context.lists.*command)(domains);
    int status = Success;
    for (std::size_t i = 0; i < domains.size(); ++i) {
        if (!done[i]) {
            context.printError(entryText(domains[i]) + QLatin1String(absentText));
            status = Failure;
        }
    }
    return status;
}

int remove(CliContext& context, const CommandOptions&, const QStringList& arguments) {
    return applyToFirstMatch(context, arguments, &TrackedLists::removeEachFromMain,
                             " is not in the main list");
}

int unadd(CliContext& context, const CommandOptions&, const QStringList& arguments) {
    return applyToFirstMatch(context, arguments, &TrackedLists::removeEachFromAdded,
                             " is not in the added list");
}

int reactivate(CliContext& context, const CommandOptions&, const QStringList& arguments) {
    return applyToFirstMatch(context, arguments, &TrackedLists::reactivateEach,
                             " is not in the removed list");
}

int clearAdded(CliContext& context, const CommandOptions&, const QStringList&) {
    context.lists.clearAdded();
    return Success;
}

int sort(CliContext& context, const CommandOptions&, const QStringList& arguments) {
    const auto id = parseListName(context, arguments.at(0));
    if (!id)
        return Usage;
    context.lists.sort(*id);
    return Success;
}

constexpr CliCommand kCommands[] = {
    {"show",
     "main|added|removed",
     "print a list's entries, one per line",
     "Prints the entries of the main, added or removed list, one per line, as their\n"
     "own bytes. Changes nothing.",
     1,
     1,
     show,
     MainListUse::Loaded,
     {},
     neverChangesLists},
    {"count",
     "",
     "print the three counts: \"N listed\", \"N added\", \"N removed\"",
     "Prints the counts of the three lists as the window's count panel shows them:\n"
     "\"N listed\", \"N added\" and \"N removed\", one per line. Changes nothing.",
     0,
     0,
     count,
     MainListUse::Loaded,
     {},
     neverChangesLists},
    {"add", "DOMAIN...", "add domains as the \"add\" button does",
     "Adds each domain as the \"add\" button does: appends it to the main and added\n"
     "lists and takes one copy of it out of the removed list. A domain already in\n"
     "the main list is reported as \"DOMAIN is already blacklisted\" and changes\n"
     "nothing. Saves the lists it changed.",
     1, -1, add},
    {"remove", "DOMAIN...", "remove domains from the main list, recording them",
     "Removes the first equal entry of the main list for each domain, as \"remove\"\n"
     "on the Main tab does: a hand addition is withdrawn from the added list, any\n"
     "other domain is recorded in the removed list. A domain not in the main list\n"
     "is reported and makes the exit status 1; the others are still removed.",
     1, -1, remove},
    {"unadd", "DOMAIN...", "withdraw hand additions (the Added tab's \"remove\")",
     "Withdraws each hand addition, as \"remove\" on the Added tab does: takes the\n"
     "domain out of the added list and its first copy out of the main list. A\n"
     "domain not in the added list is reported and makes the exit status 1.",
     1, -1, unadd},
    {"reactivate", "DOMAIN...", "put removed domains back into the main list",
     "Moves each domain from the removed list back to the end of the main list, as\n"
     "\"re-activate\" does. A domain not in the removed list is reported and makes\n"
     "the exit status 1.",
     1, -1, reactivate},
    {"clear-added", "", "empty the added list, leaving the main list alone",
     "Empties the added list, as \"clear\" answered with Yes does; the main list\n"
     "keeps the domains.",
     0, 0, clearAdded},
    {"sort", "main|added|removed", "sort a list",
     "Sorts the main, added or removed list by byte value and saves it.", 1, 1, sort},
};

} // namespace

std::span<const CliCommand> listCommands() {
    return kCommands;
}

} // namespace quillmere::cli
