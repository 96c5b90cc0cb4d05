#include "app/AppSettings.h"
#include "dialogs/QtPrompter.h"
#include "fakes/FakeDrives.h"
#include "fakes/FakeRegistry.h"
#include "fakes/TempFolder.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
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

struct FileDialogState {
    QString title;
    QString folder;
    QStringList filters;
    QString selectedFilter;
    QString fileName;
};

FileDialogState readAndClose(QDialog* dialog, const QString& choose) {
    auto* files = qobject_cast<QFileDialog*>(dialog);
    if (!files)
        return {};
    auto* fileName = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    FileDialogState state{files->windowTitle(), files->directory().absolutePath(),
                          files->nameFilters(), files->selectedNameFilter(),
                          fileName ? fileName->text() : QStringLiteral("<no file name>")};
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
        QCOMPARE(first.filters, (QStringList{QStringLiteral("Imail blacklist (url-domain-bl.txt)"),
                                             QStringLiteral("All Files (*.*)")}));
        QCOMPARE(first.selectedFilter, QStringLiteral("Imail blacklist (url-domain-bl.txt)"));
        QCOMPARE(first.fileName, QString());

        // The file chosen last time is not offered again; Cancel gives an empty path.
        FileDialogState second;
        whenModalShown([&second](QDialog* dialog) { second = readAndClose(dialog, QString()); });
        QCOMPARE(prompter.chooseOpenFile(request), QString());
        QCOMPARE(second.fileName, QString());
        QCOMPARE(second.selectedFilter, QStringLiteral("Imail blacklist (url-domain-bl.txt)"));
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
