#include "app/settings/AppSettings.h"
#include "fakes/FakeDrives.h"
#include "fakes/FakeRegistry.h"
#include "fakes/TempFolder.h"
#include "gui/QtPrompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <optional>
#ifdef Q_OS_WIN
#include "NativeOpenDialog.h"
#endif

using namespace quillmere;
using namespace quillmere::test;

namespace {

// Acts on the modal dialog that the prompter shows, once it is up.
void whenModalShown(const std::function<void(QDialog*)>& user) {
    QTimer::singleShot(0, qApp, [user] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            QFAIL("no modal dialog shown");
        user(dialog);
    });
}

// What the user sees of the open dialog: the file types as its list shows them, the one chosen,
// the name in its file name box, and for each type the files the dialog lists.
struct FileDialogState {
    bool shown = false;
    QString title;
    QStringList fileTypes;
    QString selectedType;
    QString fileName;
    std::optional<QList<QStringList>> listedPerType;
};

// Qt's own dialog: the files of each type are those of its folder that the file list's patterns
// take in.
bool readQtDialog(QDialog* dialog, FileDialogState& state, const QString& name) {
    auto* files = qobject_cast<QFileDialog*>(dialog);
    auto* types = dialog ? dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")) : nullptr;
    auto* listed = dialog ? dialog->findChild<QFileSystemModel*>() : nullptr;
    auto* fileName =
        dialog ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
    if (!files || !types || !listed || !fileName)
        return false;
    state = {true,
             files->windowTitle(),
             {},
             types->currentText(),
             fileName->text(),
             QList<QStringList>()};
    for (int k = 0; k < types->count(); ++k)
        state.fileTypes << types->itemText(k);
    const QString chosen = files->selectedNameFilter();
    for (const QString& filter : files->nameFilters()) {
        files->selectNameFilter(filter);
        state.listedPerType->append(
            files->directory().entryList(listed->nameFilters(), QDir::Files, QDir::Name));
    }
    files->selectNameFilter(chosen);
    if (name.isEmpty()) {
        dialog->reject();
    } else {
        fileName->setText(name);
        dialog->accept();
    }
    return true;
}

#ifdef Q_OS_WIN
bool readNativeDialog(FileDialogState& state, const QString& name) {
    const std::optional<NativeOpenDialog> dialog = NativeOpenDialog::find();
    if (!dialog)
        return false;
    state = {true,      dialog->title(),    dialog->fileTypes(),
             QString(), dialog->fileName(), QList<QStringList>()};
    const int chosen = dialog->selectedFileType();
    state.selectedType = state.fileTypes.value(chosen);
    for (int k = 0; k < state.fileTypes.size() && state.listedPerType; ++k) {
        dialog->chooseFileType(k);
        if (const std::optional<QStringList> listed = dialog->listedFiles())
            state.listedPerType->append(*listed);
        else
            state.listedPerType.reset();
    }
    dialog->chooseFileType(chosen);
    dialog->answer(name);
    return true;
}
#endif

// Reads the open dialog the prompter shows and answers it by typing the name into its file name
// box and pressing Open (Cancel for an empty name). The dialog is looked for until it is up; one
// never found is closed, so that the test fails rather than waits.
void whenOpenDialogShown(FileDialogState& state, const QString& name) {
    auto* poll = new QTimer(qApp);
    const QDeadlineTimer deadline(10000);
    QObject::connect(poll, &QTimer::timeout, qApp, [poll, deadline, &state, name] {
        auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        bool answered = readQtDialog(modal, state, name);
#ifdef Q_OS_WIN
        answered = answered || readNativeDialog(state, name);
#endif
        if (!answered && !deadline.hasExpired())
            return;
        // Stopped at once: a dialog's own message loop may run long before the timer is deleted.
        poll->stop();
        poll->deleteLater();
        if (!answered && modal)
            modal->reject();
    });
    poll->start(10);
}

} // namespace

class TestQtPrompter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The file dialog keeps its state in the user's settings: a test's own, not the user's.
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void theOpenDialogStartsEmptyOnTheBlacklistFilter() {
        TempFolder folder;
        folder.write(QStringLiteral("url-domain-bl.txt"), "a.ex\r\n");
        folder.write(QStringLiteral("factory.txt"), "b.ex\r\n");
        QtPrompter prompter;
        const OpenFileRequest request{QStringLiteral("New factory list"), folder.path(),
                                      blacklistFileFilter()};

        // A name typed alone is taken from the folder the dialog opened on.
        FileDialogState first;
        whenOpenDialogShown(first, QStringLiteral("url-domain-bl.txt"));
        QCOMPARE(prompter.chooseOpenFile(request),
                 folder.filePath(QStringLiteral("url-domain-bl.txt")));
        QVERIFY(first.shown);
        QCOMPARE(first.title, QStringLiteral("New factory list"));
        // The descriptions alone, as the classic dialog shows them; the patterns stay hidden.
        QCOMPARE(first.fileTypes, (QStringList{QStringLiteral("Imail blacklist"),
                                               QStringLiteral("All Files (*.*)")}));
        QCOMPARE(first.selectedType, QStringLiteral("Imail blacklist"));
        QCOMPARE(first.fileName, QString());

        // The file chosen last time is not offered again; Cancel gives an empty path.
        FileDialogState second;
        whenOpenDialogShown(second, QString());
        QCOMPARE(prompter.chooseOpenFile(request), QString());
        QVERIFY(second.shown);
        QCOMPARE(second.fileName, QString());
        QCOMPARE(second.selectedType, QStringLiteral("Imail blacklist"));

        if (!first.listedPerType)
            QSKIP("the file list of this system's open dialog is no list view control to read");
        QCOMPARE(*first.listedPerType,
                 (QList<QStringList>{QStringList{QStringLiteral("url-domain-bl.txt")},
                                     QStringList{QStringLiteral("factory.txt"),
                                                 QStringLiteral("url-domain-bl.txt")}}));
    }

    // Each row: the buttons, how the user tries to leave the box without one, the buttons as
    // shown from left to right, whether the box stays open, and the answer. A question without
    // Cancel has no way out but its buttons: Escape does nothing and the close box is disabled;
    // a box left open is then answered with Enter, its first button.
    void leavingAMessageBoxWithoutAButton_data() {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<QByteArray>("way");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<bool>("staysOpen");
        QTest::addColumn<int>("answer");
        const QStringList ok{QStringLiteral("OK")};
        const QStringList okCancel{QStringLiteral("OK"), QStringLiteral("Cancel")};
        const QStringList yesNo{QStringLiteral("&Yes"), QStringLiteral("&No")};
        const QStringList yesNoCancel = yesNo + QStringList{QStringLiteral("Cancel")};
        for (const char* way : {"Escape", "close box"}) {
            QTest::addRow("OK, %s", way) << int(PromptButtons::Ok) << QByteArray(way) << ok << false
                                         << int(PromptAnswer::Ok);
            QTest::addRow("OK/Cancel, %s", way) << int(PromptButtons::OkCancel) << QByteArray(way)
                                                << okCancel << false << int(PromptAnswer::Cancel);
            QTest::addRow("Yes/No, %s", way) << int(PromptButtons::YesNo) << QByteArray(way)
                                             << yesNo << true << int(PromptAnswer::Yes);
            QTest::addRow("Yes/No/Cancel, %s", way)
                << int(PromptButtons::YesNoCancel) << QByteArray(way) << yesNoCancel << false
                << int(PromptAnswer::Cancel);
        }
    }
    void leavingAMessageBoxWithoutAButton() {
        QFETCH(int, buttons);
        QFETCH(QByteArray, way);
        QFETCH(QStringList, shown);
        QFETCH(bool, staysOpen);
        QFETCH(int, answer);
        QMainWindow owner;
        QtPrompter prompter;
        prompter.setOwner(&owner);

        QStringList texts;
        bool closeBox = false;
        bool stayedOpen = false;
        whenModalShown([&](QDialog* dialog) {
            QList<QAbstractButton*> inBox = dialog->findChildren<QAbstractButton*>();
            std::sort(inBox.begin(), inBox.end(), [dialog](QAbstractButton* a, QAbstractButton* b) {
                return a->mapTo(dialog, QPoint()).x() < b->mapTo(dialog, QPoint()).x();
            });
            for (const QAbstractButton* button : inBox)
                texts << button->text();
            closeBox = dialog->windowFlags().testFlag(Qt::WindowCloseButtonHint);
            if (way == "Escape")
                QTest::keyClick(dialog, Qt::Key_Escape);
            else
                dialog->close();
            stayedOpen = dialog->isVisible();
            if (stayedOpen)
                QTest::keyClick(dialog, Qt::Key_Return);
        });
        QCOMPARE(int(prompter.ask(QStringLiteral("Restart the queue manager?"),
                                  static_cast<PromptButtons>(buttons), QString())),
                 answer);
        QCOMPARE(texts, shown);
        QCOMPARE(stayedOpen, staysOpen);
        QCOMPARE(closeBox, !staysOpen);
    }

    void theEvaluationDialogIsMadeOnceAndOwnedByTheWindow() {
        Module1 module;
        FakeRegistry registry;
        FakeDrives drives;
        QMainWindow owner;
        QtPrompter prompter;
        prompter.setOwner(&owner);
        prompter.setSettings(module, registry, drives);

        AddedEvaluation evaluation;
        evaluation.unique.append("a.ex");
        QDialog* first = nullptr;
        whenModalShown([&first](QDialog* dialog) {
            first = dialog;
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Command1")),
                              Qt::LeftButton);
        });
        QVERIFY(prompter.showEvaluationDialog(evaluation));
        QVERIFY(first);
        QCOMPARE(first->objectName(), QStringLiteral("frmEval"));
        QCOMPARE(first->parentWidget(), &owner);

        QDialog* second = nullptr;
        whenModalShown([&second](QDialog* dialog) {
            second = dialog;
            dialog->close();
        });
        QVERIFY(!prompter.showEvaluationDialog(evaluation));
        QCOMPARE(second, first);
    }
};

QTEST_MAIN(TestQtPrompter)
#include "tst_QtPrompter.moc"
