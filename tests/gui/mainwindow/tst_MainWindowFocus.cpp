#include "gui/mainwindow/MainWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>
#include <cstdlib>

using namespace quillmere;
using namespace quillmere::test;

namespace {

// The colour of the selected row of the list, at its right end, away from the text.
QColor selectedRowColour(QListView* list) {
    const QModelIndexList selected = list->selectionModel()->selectedRows();
    if (selected.size() != 1)
        return {};
    const QRect row = list->visualRect(selected.constFirst());
    const QImage image = list->viewport()->grab().toImage();
    return image.pixelColor(row.right() - 6, row.center().y());
}

// How far apart two colours are: the sum of the differences of their channels.
int distance(const QColor& left, const QColor& right) {
    return std::abs(left.red() - right.red()) + std::abs(left.green() - right.green()) +
           std::abs(left.blue() - right.blue());
}

} // namespace

class TestMainWindowFocus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { m_style = QApplication::style()->name(); }
    void cleanup() {
        QApplication::setPalette(QPalette());
        QApplication::setStyle(m_style);
    }

    // Each row: a style, with its own colours or with those of a Windows desktop, whose selection
    // colour for a window without the focus is a pale grey.
    void theFindBoxMatchStandsOutWithoutTheFocus_data() {
        QTest::addColumn<QString>("style");
        QTest::addColumn<bool>("paleInactiveSelection");
        for (const QString& style : QStyleFactory::keys()) {
            QTest::addRow("%s", qPrintable(style)) << style << false;
            QTest::addRow("%s, pale inactive selection", qPrintable(style)) << style << true;
        }
    }
    void theFindBoxMatchStandsOutWithoutTheFocus() {
        QFETCH(QString, style);
        QFETCH(bool, paleInactiveSelection);
        QApplication::setStyle(style);
        if (paleInactiveSelection) {
            QPalette palette = QApplication::style()->standardPalette();
            palette.setColor(QPalette::Inactive, QPalette::Highlight, QColor(0xF2, 0xF2, 0xF2));
            palette.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::black);
            QApplication::setPalette(palette);
        }
        Harness h({QStringLiteral("aa.ex"), QStringLiteral("ab.ex"), QStringLiteral("b.ex")}, {},
                  {});
        QVERIFY(h.open());
        auto* findBox = h.find<QLineEdit>(QStringLiteral("Text1"));
        auto* list = h.list("List1");
        QTest::keyClicks(findBox, QStringLiteral("ab"));
        QVERIFY(findBox->hasFocus());
        QCOMPARE(list->selectionModel()->selectedRows().size(), 1);
        QCOMPARE(list->selectionModel()->selectedRows().constFirst().row(), 1);
        const QColor whileTyping = selectedRowColour(list);

        list->setFocus();
        QVERIFY(list->hasFocus());
        const QColor focused = selectedRowColour(list);
        // As far from the list's background as in the focused list (a style may draw the
        // focused row a shade lighter or give it a faint frame).
        const QColor base = list->palette().color(QPalette::Active, QPalette::Base);
        QVERIFY2(distance(whileTyping, base) * 5 >= distance(focused, base) * 4,
                 qPrintable(whileTyping.name() + QStringLiteral(" while typing, ") +
                            focused.name() + QStringLiteral(" in the focused list, on ") +
                            base.name()));
        QVERIFY(distance(focused, base) > 40);
    }

    void theWindowIsActiveAgainAfterTheQueueRestart() {
        Harness h({QStringLiteral("a.ex")}, {}, {});
        QVERIFY(h.open());
        // The batch file's window takes the activation while it starts.
        QWidget batchWindow;
        h.launcher.whileStarting([&batchWindow] {
            batchWindow.show();
            batchWindow.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&batchWindow));
        });
        h.item("mnuQueueRestart")->trigger();
        QCOMPARE(h.launcher.starts(), QStringList{kInstall});
        QTRY_COMPARE(QApplication::activeWindow(), h.window.get());
    }

private:
    QString m_style;
};

QTEST_MAIN(TestMainWindowFocus)
#include "tst_MainWindowFocus.moc"
