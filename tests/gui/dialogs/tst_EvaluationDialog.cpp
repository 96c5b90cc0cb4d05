#include "core/eval/AddedEvaluation.h"
#include "fakes/Controls.h"
#include "gui/dialogs/EvaluationDialog.h"

#include <QApplication>
#include <QGroupBox>
#include <QListView>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace quillmere;
using quillmere::test::control;

namespace {

EntryList listOf(std::initializer_list<std::string_view> entries) {
    EntryList list;
    for (std::string_view entry : entries)
        list.append(entry);
    return list;
}

QStringList rows(const QWidget& dialog, const char* list) {
    const QAbstractItemModel* model = control<QListView>(dialog, list)->model();
    QStringList out;
    for (int row = 0; row < model->rowCount(); ++row)
        out << model->index(row, 0).data().toString();
    return out;
}

// Shows the evaluation modally, lets the user act once it is up, and returns the answer when the
// dialog has closed.
bool showModally(EvaluationDialog& dialog, const AddedEvaluation& evaluation,
                 const std::function<void()>& user) {
    bool stuck = false;
    QTimer::singleShot(0, &dialog, user);
    QTimer::singleShot(5000, &dialog, [&dialog, &stuck] {
        stuck = true;
        dialog.reject();
    });
    const bool trim = dialog.askToTrim(evaluation);
    if (stuck)
        QTest::qFail("the dialog did not close", __FILE__, __LINE__);
    return trim;
}

} // namespace

class TestEvaluationDialog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void layoutAndCaptions() {
        EvaluationDialog dialog;
        QCOMPARE(dialog.objectName(), QStringLiteral("frmEval"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Added URLs"));
        QCOMPARE(dialog.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
        QVERIFY(!(dialog.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(dialog.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(dialog.size(), QSize(393, 231));
        QCOMPARE(dialog.minimumSize(), QSize(393, 231));
        QCOMPARE(dialog.maximumSize(), QSize(393, 231));

        const auto* frame1 = control<QGroupBox>(dialog, "Frame1");
        const auto* frame2 = control<QGroupBox>(dialog, "Frame2");
        QCOMPARE(frame1->title(), QStringLiteral("Unique"));
        QCOMPARE(frame2->title(), QStringLiteral("Listed in release"));
        QCOMPARE(frame1->geometry(), QRect(8, 8, 185, 185));
        QCOMPARE(frame2->geometry(), QRect(200, 8, 185, 185));
        const auto* list1 = control<QListView>(dialog, "List1");
        const auto* list2 = control<QListView>(dialog, "List2");
        QCOMPARE(list1->parentWidget(), frame1);
        QCOMPARE(list2->parentWidget(), frame2);
        QCOMPARE(list1->geometry(), QRect(8, 16, 169, 160));
        QCOMPARE(list2->geometry(), QRect(8, 16, 169, 160));

        const auto* trim = control<QPushButton>(dialog, "Command1");
        const auto* cancel = control<QPushButton>(dialog, "Command2");
        QCOMPARE(trim->text(), QStringLiteral("Trim added list"));
        QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
        QCOMPARE(trim->geometry(), QRect(96, 200, 97, 25));
        QCOMPARE(cancel->geometry(), QRect(200, 200, 89, 25));
        // The buttons line up with the frames' edges.
        QCOMPARE(trim->geometry().right(), frame1->geometry().right());
        QCOMPARE(cancel->geometry().left(), frame2->geometry().left());
    }

    void listsShowTheNonEmptyEntriesInOrder() {
        const AddedEvaluation evaluation{listOf({"b.ex", "", "a.ex", "caf\xe9.ex"}),
                                         listOf({"", "z.ex", "y.ex", ""})};
        EvaluationDialog dialog;
        showModally(dialog, evaluation, [&dialog] {
            QCOMPARE(rows(dialog, "List1"),
                     (QStringList{QStringLiteral("b.ex"), QStringLiteral("a.ex"),
                                  QString::fromLatin1("caf\xe9.ex")}));
            QCOMPARE(rows(dialog, "List2"),
                     (QStringList{QStringLiteral("z.ex"), QStringLiteral("y.ex")}));
            dialog.reject();
        });
    }

    // A modal dialog takes the keyboard when it opens: Tab and Escape work before any click.
    void opensActiveWithTheFocusInUnique() {
        const AddedEvaluation evaluation{listOf({"a.ex"}), {}};
        QMainWindow owner;
        owner.show();
        QVERIFY(QTest::qWaitForWindowActive(&owner));
        EvaluationDialog dialog(&owner);
        const bool trim = showModally(dialog, evaluation, [&dialog] {
            QTRY_COMPARE(QApplication::activeWindow(), &dialog);
            QCOMPARE(QApplication::focusWidget(), control<QListView>(dialog, "List1"));
            // What the window system is asked for: a frame with a close box only.
            const Qt::WindowFlags flags = dialog.windowHandle()->flags();
            QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
            QVERIFY(flags & Qt::WindowCloseButtonHint);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        });
        QVERIFY(!dialog.isVisible());
        QVERIFY(!trim);
    }

    void theButtonsAndTheCloseBoxAnswer_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("trim");
        QTest::newRow("Trim added list") << QStringLiteral("Command1") << true;
        QTest::newRow("Cancel") << QStringLiteral("Command2") << false;
        QTest::newRow("close box") << QStringLiteral("close") << false;
        QTest::newRow("Esc") << QStringLiteral("Esc") << false;
    }
    void theButtonsAndTheCloseBoxAnswer() {
        QFETCH(QString, how);
        QFETCH(bool, trim);
        EvaluationDialog dialog;
        const bool answer = showModally(dialog, AddedEvaluation{}, [&dialog, how] {
            if (how == QStringLiteral("close"))
                dialog.close();
            else if (how == QStringLiteral("Esc"))
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else
                QTest::mouseClick(dialog.findChild<QPushButton*>(how), Qt::LeftButton);
        });
        QVERIFY(!dialog.isVisible());
        QCOMPARE(answer, trim);
    }

    void enterInAListDoesNotTrim() {
        EvaluationDialog dialog;
        const bool trim = showModally(dialog, {listOf({"a.ex"}), {}}, [&dialog] {
            auto* list = control<QListView>(dialog, "List1");
            list->setFocus();
            QTest::keyClick(list, Qt::Key_Return);
            dialog.reject();
        });
        QVERIFY(!trim);
    }

    void eachShowingLoadsAfresh() {
        EvaluationDialog dialog;
        QVERIFY(showModally(dialog, {listOf({"a.ex"}), {}}, [&dialog] {
            QTest::mouseClick(control<QPushButton>(dialog, "Command1"), Qt::LeftButton);
        }));

        const bool trim = showModally(dialog, {listOf({"b.ex"}), listOf({"c.ex"})}, [&dialog] {
            QCOMPARE(rows(dialog, "List1"), QStringList{QStringLiteral("b.ex")});
            QCOMPARE(rows(dialog, "List2"), QStringList{QStringLiteral("c.ex")});
            QTest::mouseClick(control<QPushButton>(dialog, "Command2"), Qt::LeftButton);
        });
        QVERIFY(!trim);
    }

    void opensCentredOnItsOwner() {
        QMainWindow owner;
        owner.setGeometry(300, 200, 600, 500);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        auto* dialog = new EvaluationDialog(&owner);
        QPoint centre;
        showModally(*dialog, AddedEvaluation{}, [dialog, &centre] {
            centre = dialog->geometry().center();
            dialog->reject();
        });
        QCOMPARE(centre, owner.geometry().center());
        // Moved away, the owner takes the dialog along at the next showing.
        owner.move(100, 50);
        showModally(*dialog, AddedEvaluation{}, [dialog, &centre] {
            centre = dialog->geometry().center();
            dialog->reject();
        });
        QCOMPARE(centre, owner.geometry().center());
    }
};

QTEST_MAIN(TestEvaluationDialog)
#include "tst_EvaluationDialog.moc"
