#include "gui/dialogs/LoadWindow.h"

#include <QGroupBox>
#include <QLabel>
#include <QTest>

using namespace quillmere;

class TestLoadWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void showsItsLabelInAFrameUntilClosed() {
        LoadWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* frame = window.findChild<QGroupBox*>(QStringLiteral("Frame1"));
        QVERIFY(frame);
        auto* label = frame->findChild<QLabel*>(QStringLiteral("Label1"));
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("loading data..."));
        QVERIFY(label->isVisible());
        QCOMPARE(window.windowTitle(), QStringLiteral("Imail Quillmere"));
        QVERIFY(window.close());
        QVERIFY(!window.isVisible());
    }
};

QTEST_MAIN(TestLoadWindow)
#include "tst_LoadWindow.moc"
