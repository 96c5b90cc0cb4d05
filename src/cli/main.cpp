#include "cli/CliApplication.h"
#include "platform/PlatformFacts.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    quillmere::platform::openClosedStandardStreams();
    quillmere::platform::useBinaryStandardStreams();
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillmere-cli"));
    const quillmere::platform::CommandLineArguments arguments(argc, argv);
    return quillmere::cli::runCli(arguments.list());
}
