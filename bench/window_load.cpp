// The main window on a Main list of 1,000,000 domains (or the count given as the argument): the
// time from start to the window shown, the time of one key release in the find box (a match near
// the end of the list, the longest scan), one add, one "Rebuild" from the menu (its progress texts
// painted, the list hidden and shown again) and the peak memory then, and one "Merge new factory
// list..." of a factory list of as many domains, one in twenty of them new, and the peak memory
// after it. Run it with QT_QPA_PLATFORM=offscreen or on a display.

#include "gui/mainwindow/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <utility>

using namespace quillmere;

namespace {

// Answers nothing is expected to ask; the file to merge is the factory list.
class SilentPrompter final : public Prompter {
public:
    explicit SilentPrompter(QString factoryList)
        : m_factoryList(std::move(factoryList)) {}
    PromptAnswer ask(const QString& text, PromptButtons, const QString&) override {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(text));
        return PromptAnswer::Cancel;
    }
    QString chooseOpenFile(const OpenFileRequest&) override { return m_factoryList; }
    bool showOptionsDialog() override { return false; }
    void showAboutBox() override {}
    bool showEvaluationDialog(const AddedEvaluation&) override { return false; }

private:
    QString m_factoryList;
};

class NoLauncher final : public QueueLauncher {
public:
    QString startQueueRestart(const QString&) override { return QString(); }
};

// A made-up domain of 6 to 18 letters and digits.
std::string madeUpDomain(std::mt19937& random) {
    const std::string letters = "abcdefghijklmnopqrstuvwxyz0123456789";
    const char* tlds[] = {".com", ".net", ".info", ".biz", ".ru", ".cn"};
    std::string domain;
    const int length = 6 + static_cast<int>(random() % 13);
    for (int c = 0; c < length; ++c)
        domain += letters[random() % letters.size()];
    return domain + tlds[random() % 6];
}

// The Main list's domains, or, for the factory list, the same in the same order but every
// twentieth one new; returns the last one.
std::string writeDomains(const QString& path, int entries, bool factory) {
    std::mt19937 random(20040817);
    std::mt19937 fresh(19990101);
    std::ofstream out(path.toStdString(), std::ios::binary);
    std::string domain;
    for (int k = 0; k < entries; ++k) {
        domain = madeUpDomain(random);
        if (factory && k % 20 == 19)
            domain = madeUpDomain(fresh);
        out << domain << "\r\n";
    }
    return domain;
}

long peakMemoryKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').constFirst().toLong();
    }
    return -1;
}

void waitUntilShown(QWidget& window) {
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    QApplication::processEvents();
}

double milliseconds(const QElapsedTimer& timer) {
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    const int entries = argc > 1 ? std::atoi(argv[1]) : 1'000'000;
    if (entries < 1) {
        std::fprintf(stderr, "usage: bench_window_load [entries]\n");
        return 2;
    }
    QTemporaryDir folder;
    const QString imail = folder.filePath(QStringLiteral("imail"));
    QDir().mkpath(imail);
    const std::string last =
        writeDomains(imail + QStringLiteral("/url-domain-bl.txt"), entries, false);
    const QString factoryList = folder.filePath(QStringLiteral("factory.txt"));
    writeDomains(factoryList, entries, true);

    QElapsedTimer start;
    start.start();
    QApplication app(argc, argv);
    Module1 module;
    module.settings.imailPath = imail;
    module.settings.dataPath = folder.filePath(QStringLiteral("data"));
    module.settings.imailInstalled = true;
    SilentPrompter prompter(factoryList);
    NoLauncher launcher;
    MainWindow window(module, prompter, launcher);
    if (!window.formLoad())
        return 1;
    window.show();
    waitUntilShown(window);
    const double shownAfter = milliseconds(start);

    // A text only the last entry begins with: the scan runs through the whole list.
    auto* findBox = window.findChild<QLineEdit*>(QStringLiteral("Text1"));
    findBox->setText(QString::fromLatin1(last.data(), static_cast<qsizetype>(last.size())));
    QElapsedTimer keyTimer;
    keyTimer.start();
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(findBox, &release);
    QApplication::processEvents();
    const double keyRelease = milliseconds(keyTimer);

    findBox->setText(QStringLiteral("new-entry.example"));
    QElapsedTimer addTimer;
    addTimer.start();
    window.findChild<QPushButton*>(QStringLiteral("CommandAdd"))->click();
    QApplication::processEvents();
    const double add = milliseconds(addTimer);

    QElapsedTimer rebuildTimer;
    rebuildTimer.start();
    window.findChild<QAction*>(QStringLiteral("mnuFileRebuild"))->trigger();
    QApplication::processEvents();
    const double rebuild = milliseconds(rebuildTimer);
    const long rebuildPeak = peakMemoryKiB();

    QElapsedTimer mergeTimer;
    mergeTimer.start();
    window.findChild<QAction*>(QStringLiteral("mnuFileOpen"))->trigger();
    QApplication::processEvents();
    const double merge = milliseconds(mergeTimer);

    std::printf("Main list entries:           %d\n", entries);
    std::printf("start to window shown:       %.0f ms\n", shownAfter);
    std::printf("find box key release (scan): %.1f ms\n", keyRelease);
    std::printf("add one domain:              %.1f ms\n", add);
    std::printf("rebuild from the menu:       %.0f ms\n", rebuild);
    std::printf("peak memory:                 %.0f MB\n", rebuildPeak / 1024.0);
    std::printf("merge from the menu:         %.0f ms\n", merge);
    std::printf("peak memory after the merge: %.0f MB\n", peakMemoryKiB() / 1024.0);
    return 0;
}
