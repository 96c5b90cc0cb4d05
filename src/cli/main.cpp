#include "cli/CliApplication.h"
#include "platform/PlatformFacts.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    quillmere::platform::openClosedStandardStreams();
    quillmere::platform::useBinaryStandardStreams();
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillmere-cli"));
    return quillmere::cli::runCli(QCoreApplication::arguments());
}
