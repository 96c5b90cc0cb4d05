#include "app/flows/ExitFlow.h"
#include "fakes/FakePrompter.h"
#include "fakes/FakeQueueLauncher.h"

#include <QTest>

using namespace quillmere;
using namespace quillmere::test;

Q_DECLARE_METATYPE(quillmere::PromptAnswer)

namespace {
constexpr auto Yes = PromptAnswer::Yes;
constexpr auto No = PromptAnswer::No;
constexpr auto Cancel = PromptAnswer::Cancel;
} // namespace

class TestExitFlow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each row: the modified flags at the start (M, A, R), the switches, Imail installed, the
    // answers given, whether the save works; then what happened in order, the questions shown
    // (text and title) and the decision.
    void branches_data() {
        QTest::addColumn<QString>("flags");
        QTest::addColumn<bool>("exitNoSave");
        QTest::addColumn<int>("exitSort");
        QTest::addColumn<int>("exitSave");
        QTest::addColumn<int>("restartQueue");
        QTest::addColumn<bool>("imailInstalled");
        QTest::addColumn<QList<PromptAnswer>>("answers");
        QTest::addColumn<bool>("saveWorks");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("closes");

        const QString save =
            QStringLiteral("ask:Save list modifications before exit?@list modified");
        const QString restart = QStringLiteral("ask:Restart the queue manager?@Imail Quillmere");
        const QString others = QStringLiteral("close others");

        QTest::newRow("nothing modified: nothing asked, sorted or saved")
            << "" << false << 1 << 0 << 1 << true << QList<PromptAnswer>{} << true
            << QStringList{others} << true;
        QTest::newRow("the typical exit: save, then restart on Yes")
            << "MA" << false << 0 << 0 << 0 << true << QList<PromptAnswer>{Yes, Yes} << true
            << QStringList{others, save, QStringLiteral("save"), restart,
                           QStringLiteral("restart /opt/q")}
            << true;
        QTest::newRow("restart declined")
            << "M" << false << 0 << 0 << 0 << true << QList<PromptAnswer>{Yes, No} << true
            << QStringList{others, save, QStringLiteral("save"), restart} << true;
        QTest::newRow("No: closes unsaved, no restart question")
            << "M" << false << 0 << 0 << 1 << true << QList<PromptAnswer>{No} << true
            << QStringList{others, save} << true;
        QTest::newRow("Cancel: stays open")
            << "A" << false << 0 << 0 << 0 << true << QList<PromptAnswer>{Cancel} << true
            << QStringList{others, save} << false;
        QTest::newRow("Cancel after the exit sort: stays open, sorted")
            << "A" << false << 1 << 0 << 0 << true << QList<PromptAnswer>{Cancel} << true
            << QStringList{others, QStringLiteral("sort"), save} << false;
        QTest::newRow("exitSave and restartQueue: no question at all")
            << "M" << false << 0 << 1 << 1 << true << QList<PromptAnswer>{} << true
            << QStringList{others, QStringLiteral("save"), QStringLiteral("restart /opt/q")}
            << true;
        QTest::newRow("only Added modified, exitSort: sorted and saved, no restart")
            << "A" << false << 1 << 1 << 1 << true << QList<PromptAnswer>{} << true
            << QStringList{others, QStringLiteral("sort"), QStringLiteral("save")} << true;
        QTest::newRow("Imail not installed: never a restart")
            << "MAR" << false << 0 << 1 << 1 << false << QList<PromptAnswer>{} << true
            << QStringList{others, QStringLiteral("save")} << true;
        QTest::newRow("exit without saving: nothing but closing")
            << "MAR" << true << 1 << 1 << 1 << true << QList<PromptAnswer>{} << true
            << QStringList{others} << true;
        QTest::newRow("a failed save keeps the window open and restarts nothing")
            << "M" << false << 0 << 1 << 1 << true << QList<PromptAnswer>{} << false
            << QStringList{others, QStringLiteral("save")} << false;
        QTest::newRow("a failed save after Yes")
            << "M" << false << 0 << 0 << 0 << true << QList<PromptAnswer>{Yes} << false
            << QStringList{others, save, QStringLiteral("save")} << false;
        QTest::newRow("a switch of 2 is not on")
            << "M" << false << 2 << 0 << 2 << true << QList<PromptAnswer>{Yes, No} << true
            << QStringList{others, save, QStringLiteral("save"), restart} << true;
    }

    void branches() {
        QFETCH(QString, flags);
        QFETCH(bool, exitNoSave);
        QFETCH(int, exitSort);
        QFETCH(int, exitSave);
        QFETCH(int, restartQueue);
        QFETCH(bool, imailInstalled);
        QFETCH(QList<PromptAnswer>, answers);
        QFETCH(bool, saveWorks);
        QFETCH(QStringList, steps);
        QFETCH(bool, closes);

        TrackedLists lists;
        lists.setModified(ListId::Main, flags.contains(QLatin1Char('M')));
        lists.setModified(ListId::Added, flags.contains(QLatin1Char('A')));
        lists.setModified(ListId::Removed, flags.contains(QLatin1Char('R')));
        AppSettings settings;
        settings.exitSort = static_cast<std::int16_t>(exitSort);
        settings.exitSave = static_cast<std::int16_t>(exitSave);
        settings.restartQueue = static_cast<std::int16_t>(restartQueue);
        settings.imailInstalled = imailInstalled;
        settings.installPath = QStringLiteral("/opt/q");
        FakePrompter prompter;
        for (PromptAnswer answer : answers)
            prompter.answerNext(answer);
        FakeQueueLauncher launcher;

        // Everything in the order it happened: the questions are taken in as they appear.
        QStringList happened;
        qsizetype asked = 0;
        auto takeQuestions = [&] {
            for (; asked < prompter.shown().size(); ++asked)
                happened << QStringLiteral("ask:%1@%2")
                                .arg(prompter.shown()[asked].text, prompter.shown()[asked].title);
        };
        ExitSteps exitSteps;
        exitSteps.closeOtherWindows = [&] {
            takeQuestions();
            happened << QStringLiteral("close others");
        };
        // The window's sort marks the Main list modified, as sorting does.
        exitSteps.sortMainList = [&] {
            takeQuestions();
            happened << QStringLiteral("sort");
            lists.setModified(ListId::Main, true);
        };
        exitSteps.saveAll = [&] {
            takeQuestions();
            happened << QStringLiteral("save");
            return saveWorks;
        };

        ExitFlow flow(settings, prompter, launcher);
        const ExitDecision decision = flow.run(lists, exitNoSave, exitSteps);
        // The restart is always the last thing, after its question.
        takeQuestions();
        for (const QString& installPath : launcher.starts())
            happened << QStringLiteral("restart ") + installPath;

        QCOMPARE(happened, steps);
        QCOMPARE(decision == ExitDecision::Close, closes);
        QVERIFY(prompter.allAnswersUsed());
    }

    void questionsHaveTheirButtons() {
        TrackedLists lists;
        lists.setModified(ListId::Main, true);
        AppSettings settings;
        settings.imailInstalled = true;
        FakePrompter prompter;
        prompter.answerNext(Yes);
        prompter.answerNext(Yes);
        FakeQueueLauncher launcher;
        ExitSteps steps{[] {}, [] {}, [] { return true; }};
        ExitFlow(settings, prompter, launcher).run(lists, false, steps);
        QCOMPARE(prompter.shown().size(), 2);
        QCOMPARE(prompter.shown()[0].buttons, PromptButtons::YesNoCancel);
        QCOMPARE(prompter.shown()[1].buttons, PromptButtons::YesNo);
    }
};

QTEST_GUILESS_MAIN(TestExitFlow)
#include "tst_ExitFlow.moc"
