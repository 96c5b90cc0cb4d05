#include "gui/mainwindow/MainWindowFixture.h"

#include <QWidget>

namespace quillmere::test {

QByteArray file(const QStringList& entries) {
    QByteArray bytes;
    for (const QString& entry : entries)
        bytes += entry.toLatin1() + "\r\n";
    return bytes;
}

void anotherWindowTakesTheKeys(QWidget* window) {
    QWidget box;
    box.show();
    box.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&box));
    box.close();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
}

} // namespace quillmere::test
