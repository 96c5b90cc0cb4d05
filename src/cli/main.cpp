#include "CliApplication.h"

#include <QCoreApplication>
#ifdef Q_OS_WIN
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char* argv[]) {
#ifdef Q_OS_WIN
    // The tool ends its lines itself; text mode would also turn an entry's lone LF into CR LF.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillmere-cli"));
    return quillmere::cli::runCli(QCoreApplication::arguments());
}
