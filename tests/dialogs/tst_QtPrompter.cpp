#include "app/AppSettings.h"
#include "dialogs/QtPrompter.h"
#include "fakes/FakeDrives.h"
#include "fakes/FakeRegistry.h"
#include "fakes/TempFolder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
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

// What the user sees of the dialog: the filter choices as the list of file types shows them,
// the one chosen, and the patterns of each choice, as the file list applies them.
struct FileDialogState {
    QString title;
    QString folder;
    QStringList filters;
    QString selectedFilter;
    QList<QStringList> patterns;
    QString fileName;
};

FileDialogState readAndClose(QDialog* dialog, const QString& choose) {
    auto* files = qobject_cast<QFileDialog*>(dialog);
    auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    auto* listed = dialog->findChild<QFileSystemModel*>();
    auto* fileName = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!files || !types || !listed || !fileName)
        return {};
    FileDialogState state{
        files->windowTitle(), files->directory().absolutePath(), {}, types->currentText(), {},
        fileName->text()};
    for (int k = 0; k < types->count(); ++k)
        state.filters << types->itemText(k);
    const QString chosen = files->selectedNameFilter();
    for (const QString& filter : files->nameFilters()) {
        files->selectNameFilter(filter);
        state.patterns << listed->nameFilters();
    }
    files->selectNameFilter(chosen);
    if (choose.isEmpty()) {
        dialog->reject();
    } else {
        files->selectFile(choose);
        dialog->accept();
    }
    return state;
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
        QtPrompter prompter;
        const OpenFileRequest request{QStringLiteral("New factory list"), folder.path(),
                                      blacklistFileFilter()};
        const QString chosen = folder.filePath(QStringLiteral("url-domain-bl.txt"));

        FileDialogState first;
        whenModalShown(
            [&first, &chosen](QDialog* dialog) { first = readAndClose(dialog, chosen); });
        QCOMPARE(prompter.chooseOpenFile(request), chosen);
        QCOMPARE(first.title, QStringLiteral("New factory list"));
        QCOMPARE(first.folder, QDir(folder.path()).absolutePath());
        // The descriptions alone, as the classic dialog shows them; the patterns stay hidden.
        QCOMPARE(first.filters, (QStringList{QStringLiteral("Imail blacklist"),
                                             QStringLiteral("All Files (*.*)")}));
        QCOMPARE(first.selectedFilter, QStringLiteral("Imail blacklist"));
        QCOMPARE(first.patterns,
                 (QList<QStringList>{QStringList{QStringLiteral("url-domain-bl.txt")},
                                     QStringList{QStringLiteral("*.*")}}));
        QCOMPARE(first.fileName, QString());

        // The file chosen last time is not offered again; Cancel gives an empty path.
        FileDialogState second;
        whenModalShown([&second](QDialog* dialog) { second = readAndClose(dialog, QString()); });
        QCOMPARE(prompter.chooseOpenFile(request), QString());
        QCOMPARE(second.fileName, QString());
        QCOMPARE(second.selectedFilter, QStringLiteral("Imail blacklist"));
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

        module.evalUnique.append("a.ex");
        QDialog* first = nullptr;
        whenModalShown([&first](QDialog* dialog) {
            first = dialog;
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Command1")),
                              Qt::LeftButton);
        });
        prompter.showEvaluationDialog();
        QVERIFY(module.modalFlag);
        QVERIFY(first);
        QCOMPARE(first->objectName(), QStringLiteral("frmEval"));
        QCOMPARE(first->parentWidget(), &owner);

        QDialog* second = nullptr;
        whenModalShown([&second](QDialog* dialog) {
            second = dialog;
            dialog->close();
        });
        prompter.showEvaluationDialog();
        QCOMPARE(second, first);
        QVERIFY(!module.modalFlag);
    }
};

QTEST_MAIN(TestQtPrompter)
#include "tst_QtPrompter.moc"
