#include "app/files/ListFiles.h"
#include "app/settings/StoredSettings.h"
#include "app/update/ArrivingBodyCopy.h"
#include "app/update/FactoryBodyCheck.h"
#include "app/update/FactoryFetch.h"
#include "app/update/FactoryUrl.h"
#include "app/update/UpdateState.h"
#include "cli/CliCommand.h"
#include "cli/RestartQueueCommand.h"
#include "core/eval/AddedEvaluation.h"
#include "platform/AbsoluteFolder.h"
#include "platform/PlatformFacts.h"
#include "platform/SystemQueueLauncher.h"
#include "platform/SystemRegistry.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>
#include <memory>

namespace quillmere::cli {

namespace {

constexpr char kRefusedFileName[] = "url-domain-bl.txt.refused";
constexpr char kKeptFileName[] = "url-domain-bl.txt";

// --dry-run is described where merge declares it, which comes first in the tool's list.
constexpr CommandOption kDryRun{"dry-run", ""};
constexpr CommandOption kRestart{
    "restart", "update: then restart the queue manager when the main list changed."};
constexpr CommandOption kAllowShrink{
    "allow-shrink", "update: take a factory list of fewer than half the entries of the last."};
constexpr CommandOption kUpdateOptions[] = {kRestart, kDryRun, kAllowShrink};

bool changesListsUnlessDryRun(const CommandOptions& options) {
    return !options.isSet(kDryRun);
}

// A line on standard error rewritten in place while the body arrives, on a terminal only: a
// scheduled task's log would fill with it.
class ProgressLine final {
public:
    ProgressLine()
        : m_shown(platform::standardErrorIsTerminal()) {
        m_clock.start();
    }
    ~ProgressLine() { finish(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void show(qint64 received, qint64 total) {
        if (!m_shown)
            return;
        const double seconds = std::max<double>(m_clock.elapsed(), 1) / 1000;
        QString line = total >= 0 ? QStringLiteral("%1 of %2 bytes").arg(received).arg(total)
                                  : QStringLiteral("%1 bytes").arg(received);
        line += QStringLiteral(", %1 MB/s").arg(received / seconds / 1e6, 0, 'f', 1);
        write(QLatin1Char('\r') + line.leftJustified(m_width));
        m_width = std::max(m_width, line.size());
    }
    void finish() {
        if (m_width > 0)
            write(QLatin1Char('\r') + QString(m_width, QLatin1Char(' ')) + QLatin1Char('\r'));
        m_width = 0;
    }

private:
    static void write(const QString& text) {
        const QByteArray bytes = text.toLocal8Bit();
        std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
        std::fflush(stderr);
    }

    bool m_shown;
    qsizetype m_width = 0;
    QElapsedTimer m_clock;
};

bool sameFile(const QString& a, const QString& b) {
    const QFileInfo first(a);
    const QFileInfo second(b);
    if (first.exists() && second.exists())
        return first.canonicalFilePath() == second.canonicalFilePath();
    return QDir::cleanPath(first.absoluteFilePath()) == QDir::cleanPath(second.absoluteFilePath());
}

// Where the accepted list is kept: the folder the window's merge dialog opens in, else the data
// folder. Never the blacklist itself, which an import folder set to the Imail root would name.
QString keptCopyPath(Registry& registry, const CliContext& context) {
    const std::optional<QString> importPath = registry.read(settingName(valueName::importPath));
    const QString mainPath = mainListPath(context.imailPath);
    if (importPath && isAbsoluteFolder(*importPath)) {
        const QString path = QDir(*importPath).filePath(QLatin1String(kKeptFileName));
        if (!sameFile(path, mainPath))
            return path;
    }
    return QDir(context.dataPath).filePath(QLatin1String(kKeptFileName));
}

// The URL to fetch: the one given, else the stored factoryUrl. Returns an exit status.
int chooseUrl(Registry& registry, const CliContext& context, const QStringList& arguments,
              QUrl& url) {
    QString problem;
    if (!arguments.isEmpty()) {
        const std::optional<QUrl> given = factoryUrl(arguments.at(0), problem);
        if (!given) {
            context.printError(problem);
            return Usage;
        }
        url = *given;
        return Success;
    }
    if (const QString registryProblem = registry.problem(); !registryProblem.isEmpty()) {
        context.printError(registryProblem);
        return Failure;
    }
    const QString name = settingName(valueName::factoryUrl);
    const std::optional<QString> stored = registry.read(name);
    if (!stored || stored->isEmpty()) {
        context.printError(QStringLiteral("No factory list URL is given or stored (%1): give one, "
                                          "or store it with: quillmere-cli settings set "
                                          "factoryUrl URL")
                               .arg(name));
        return Failure;
    }
    const std::optional<QUrl> storedUrl = factoryUrl(*stored, problem);
    if (!storedUrl) {
        context.printError(QStringLiteral("The stored factoryUrl (%1): %2").arg(name, problem));
        return Failure;
    }
    url = *storedUrl;
    return Success;
}

QString refusal(const QString& shown, const QString& reason, const QString& refusedPath,
                const QString& keepError) {
    QString text = QStringLiteral("The factory list from %1 is refused: %2.\n").arg(shown, reason);
    if (keepError.isEmpty())
        return text + QStringLiteral("It is kept as %1; nothing else was changed.")
                          .arg(displayPath(refusedPath));
    return text + keepError + QStringLiteral("; nothing else was changed.");
}

UpdateState acceptedState(const QString& shown, const FetchResult& fetched, std::size_t entries,
                          ArrivingBodyCopy& copy) {
    UpdateState state;
    state.url = shown;
    state.etag = fetched.etag;
    state.lastModified = fetched.lastModified;
    state.bytes = static_cast<qint64>(fetched.body->size());
    state.entries = entries;
    state.sha256 = QByteArray::fromStdString(copy.sha256(*fetched.body));
    state.time = QDateTime::currentDateTimeUtc();
    return state;
}

int update(CliContext& context, const CommandOptions& options, const QStringList& arguments) {
    // Nothing is saved unless a fetched list is accepted and merged.
    context.saveAfterwards = false;
    const std::shared_ptr<Registry> registry = openSystemRegistry(context.registryFile);
    QUrl url;
    if (const int status = chooseUrl(*registry, context, arguments, url); status != Success)
        return status;
    const QString shown = shownUrl(url);

    const QString statePath = updateStatePath(context.dataPath);
    const UpdateStateRead stateRead = readUpdateState(statePath);
    if (!stateRead.error.isEmpty())
        context.printError(stateRead.error + QStringLiteral("; the list is fetched in full"));
    const std::optional<UpdateState>& last = stateRead.state;
    FetchCondition condition;
    if (last && last->url == shown)
        condition = {last->etag, last->lastModified};

    // The kept copy and the hash are made while the body arrives; a dry run keeps neither.
    const bool dryRun = options.isSet(kDryRun);
    const QString keptPath = keptCopyPath(*registry, context);
    const auto copy = std::make_shared<ArrivingBodyCopy>(keptPath);
    FactoryFetcher fetcher(FetchLimits::fromText(qEnvironmentVariable(fetchLimitsVariable)));
    ProgressLine progress;
    const FetchResult fetched = fetcher.fetch(
        url, condition,
        [&progress](qint64 received, qint64 total) { progress.show(received, total); },
        [&](const QString& reason, std::chrono::milliseconds wait) {
            progress.finish();
            context.printError(QStringLiteral("%1: %2; trying again in %3")
                                   .arg(shown, reason, durationText(wait)));
        },
        dryRun ? nullptr : copy.get());
    progress.finish();
    if (fetched.kind == FetchResult::Kind::Failed) {
        context.printError(QStringLiteral("The factory list could not be fetched from %1: %2.")
                               .arg(shown, fetched.error));
        return Failure;
    }
    if (fetched.kind == FetchResult::Kind::NotModified) {
        const QString since = !last->lastModified.isEmpty()
                                  ? QString::fromLatin1(last->lastModified)
                                  : last->time.toString(Qt::ISODate);
        context.printLine(QStringLiteral("The factory list has not changed since %1.").arg(since));
        return Success;
    }

    copy->flushAhead();
    const std::string_view bytes(*fetched.body);
    const FactoryBodyFacts facts{bytes, fetched.contentType,
                                 last ? std::optional<std::size_t>(last->entries) : std::nullopt,
                                 options.isSet(kAllowShrink)};
    const auto refuse = [&](const QString& reason) {
        const QString refusedPath =
            QDir(context.dataPath).filePath(QLatin1String(kRefusedFileName));
        const QString keepError = replaceFileWith(
            refusedPath,
            QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())));
        context.printError(refusal(shown, reason, refusedPath, keepError));
        return Failure;
    };
    // A body that is no list at a glance is never merged. Else the merge runs beside the check of
    // every entry, which evaluates the Added list in the same pass; what the merge finds is used
    // only when the check accepts the body.
    if (const std::optional<QString> fault = wholeBodyFault(facts))
        return refuse(*fault);
    FactoryBytesMerge merging(context, fetched.body, dryRun);
    AddedMatcher matcher(context.lists.added());
    const FactoryBodyVerdict verdict =
        checkFactoryEntries(facts, [&matcher](std::string_view entry) { matcher.see(entry); });
    if (!verdict.accepted)
        return refuse(verdict.reason);
    const std::size_t listed = matcher.evaluation().listed.size();

    if (listed)
        context.printLine(
            QStringLiteral("%1 hand additions are now in the factory list").arg(listed));
    context.saveAfterwards = true;
    MergeCounts counts;
    const int status = merging.finish(context, shown.toStdString(), dryRun, counts);
    if (status != Success || dryRun)
        return status;

    const bool changed = counts.gained > 0 || counts.lost > 0;
    const UpdateState state = acceptedState(shown, fetched, verdict.entries, *copy);
    const EntryList::Block body = fetched.body;
    const bool restart = options.isSet(kRestart);
    context.afterSave = [=](CliContext& saved) {
        int afterStatus = Success;
        const QString keepError = copy->keep(*body);
        const QString stateError =
            keepError.isEmpty() ? writeUpdateState(statePath, state) : QString();
        for (const QString& error : {keepError, stateError}) {
            if (!error.isEmpty()) {
                saved.printError(error);
                afterStatus = Failure;
            }
        }
        if (restart && changed) {
            SystemQueueLauncher launcher;
            if (runRestartQueue(*registry, launcher, saved, {}) != Success) {
                saved.printError(QStringLiteral("The blacklist is saved, but the queue manager "
                                                "was not restarted."));
                afterStatus = Failure;
            }
        }
        return afterStatus;
    };
    return Success;
}

constexpr CliCommand kCommands[] = {
    {"update", "[URL] [--restart] [--dry-run] [--allow-shrink]",
     "fetch the factory list, refuse what is not one, merge it as merge FILE does",
     "Fetches the factory list from URL (https, http or file), or from the stored\n"
     "setting factoryUrl, and merges it as merge FILE does: the same lock, save,\n"
     "backups and journal (the journal names the URL, a password shown as ***).\n"
     "Prints \"N hand additions are now in the factory list\" when there are any,\n"
     "then \"N gained\", \"N lost\" and \"N listed\", as merge --dry-run does.\n"
     "\n"
     "https is verified against the system's trusted certificates; a certificate\n"
     "that does not verify is refused. At most 5 redirects, never from https to\n"
     "http. A user and password in the URL are sent (Basic) and never printed. The\n"
     "request carries the ETag and Last-Modified of the last accepted list; an\n"
     "unchanged list prints \"The factory list has not changed since DATE.\" and\n"
     "changes nothing. A connection error or an HTTP status 5xx is tried again (3\n"
     "tries, 2 s and 10 s apart); no answer within 30 s, 60 s without data, a body\n"
     "shorter than its Content-Length or larger than 1 GiB is a failure.\n"
     "\n"
     "Refused, with nothing changed: an empty body; an HTML, XML or JSON document; a\n"
     "NUL byte; lines that end in LF alone; more than 1% of entries that are no host\n"
     "names (a character a host name cannot hold, a URL scheme, a path, a blank\n"
     "inside; the first five are listed); fewer than half the entries of the last\n"
     "accepted list. A refused body is kept as url-domain-bl.txt.refused in the\n"
     "data folder. An accepted one is kept as url-domain-bl.txt in importPath (or\n"
     "the data folder), and what is known of it in url-domain-bl.update there.\n"
     "\n"
     "--restart       then restart the queue manager as restart-queue does, when the\n"
     "                main list changed; a restart that cannot start is status 1\n"
     "                (the list stays saved).\n"
     "--dry-run       fetch, check and print; save nothing, keep no copy and no\n"
     "                state (a refused body is still kept, to be looked at).\n"
     "--allow-shrink  take a list of fewer than half the entries of the last.\n"
     "\n"
     "Exit status 0 when the list is up to date afterwards, changed or not; 1 when\n"
     "anything failed or was refused; 2 on wrong usage (a URL that is not an\n"
     "absolute https, http or file URL).",
     0, 1, update, MainListUse::ReadByCommand, kUpdateOptions, changesListsUnlessDryRun},
};

} // namespace

std::span<const CliCommand> updateCommands() {
    return kCommands;
}

} // namespace quillmere::cli
