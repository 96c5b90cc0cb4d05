#include "platform/AbsoluteFolder.h"

#include <QTest>

using namespace quillmere;

Q_DECLARE_METATYPE(quillmere::PathStyle)

class TestAbsoluteFolder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each row: a folder setting, the system's way of writing paths, and whether it names one
    // folder whatever the current folder is.
    void isAbsoluteFolder_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<PathStyle>("style");
        QTest::addColumn<bool>("absolute");
        const PathStyle onUnix = PathStyle::Unix;
        const PathStyle onWindows = PathStyle::Windows;
        QTest::newRow("Unix: from the root") << QStringLiteral("/srv/imail") << onUnix << true;
        QTest::newRow("Unix: the root") << QStringLiteral("/") << onUnix << true;
        QTest::newRow("Unix: empty") << QString() << onUnix << false;
        QTest::newRow("Unix: relative") << QStringLiteral("imail") << onUnix << false;
        QTest::newRow("Unix: dot") << QStringLiteral("./imail") << onUnix << false;
        QTest::newRow("Unix: a Qt resource") << QStringLiteral(":/imail") << onUnix << false;
        QTest::newRow("Unix: a Windows drive") << QStringLiteral("C:\\Imail") << onUnix << false;
        QTest::newRow("Windows: drive, backslash")
            << QStringLiteral("C:\\Imail") << onWindows << true;
        QTest::newRow("Windows: drive, slash") << QStringLiteral("d:/imail") << onWindows << true;
        QTest::newRow("Windows: drive root") << QStringLiteral("C:\\") << onWindows << true;
        QTest::newRow("Windows: share")
            << QStringLiteral("\\\\server\\share\\imail") << onWindows << true;
        QTest::newRow("Windows: share, slashes")
            << QStringLiteral("//server/share") << onWindows << true;
        QTest::newRow("Windows: device namespace, long path")
            << QStringLiteral("\\\\?\\C:\\Imail") << onWindows << false;
        QTest::newRow("Windows: device namespace, share")
            << QStringLiteral("\\\\?\\UNC\\server\\share") << onWindows << false;
        QTest::newRow("Windows: device namespace, slashes")
            << QStringLiteral("//?/C:/Imail") << onWindows << false;
        QTest::newRow("Windows: device") << QStringLiteral("\\\\.\\C:") << onWindows << false;
        QTest::newRow("Windows: a share named with a dot")
            << QStringLiteral("\\\\.host\\share") << onWindows << true;
        QTest::newRow("Windows: empty") << QString() << onWindows << false;
        QTest::newRow("Windows: the current drive's root")
            << QStringLiteral("\\Imail") << onWindows << false;
        QTest::newRow("Windows: a drive's current folder")
            << QStringLiteral("C:Imail") << onWindows << false;
        QTest::newRow("Windows: a drive alone") << QStringLiteral("C:") << onWindows << false;
        QTest::newRow("Windows: two slashes alone") << QStringLiteral("\\\\") << onWindows << false;
        QTest::newRow("Windows: relative") << QStringLiteral("URLdata") << onWindows << false;
        QTest::newRow("Windows: not a drive letter")
            << QStringLiteral("1:\\x") << onWindows << false;
    }
    void isAbsoluteFolder() {
        QFETCH(QString, path);
        QFETCH(PathStyle, style);
        QTEST(quillmere::isAbsoluteFolder(path, style), "absolute");
    }
};

QTEST_GUILESS_MAIN(TestAbsoluteFolder)
#include "tst_AbsoluteFolder.moc"
