#include "CliApplication.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillmere-cli"));
    return quillmere::cli::runCli(QCoreApplication::arguments());
}
