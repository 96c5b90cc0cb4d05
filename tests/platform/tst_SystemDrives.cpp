#include "platform/SystemDrives.h"

#include <QFileInfo>
#include <QTest>
#ifdef Q_OS_WIN
#include "fakes/TempFolder.h"
#include "fakes/WineDrive.h"

#include <QRegularExpression>
#include <optional>
#endif

using namespace quillmere;

#ifdef Q_OS_WIN
namespace {

std::optional<Drive> listed(const QString& root) {
    for (const Drive& drive : SystemDrives().list()) {
        if (drive.root == root)
            return drive;
    }
    return std::nullopt;
}

} // namespace
#endif

class TestSystemDrives : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void volumeTypes_data() {
        QTest::addColumn<QByteArray>("fileSystem");
        QTest::addColumn<bool>("removableDevice");
        QTest::addColumn<int>("type");
        QTest::newRow("ext4") << QByteArray("ext4") << false << int(DriveFixed);
        QTest::newRow("ext4 on a USB stick") << QByteArray("ext4") << true << int(DriveRemovable);
        QTest::newRow("vfat on a card") << QByteArray("vfat") << true << int(DriveRemovable);
        QTest::newRow("nfs4") << QByteArray("nfs4") << false << int(DriveRemote);
        QTest::newRow("cifs") << QByteArray("cifs") << false << int(DriveRemote);
        QTest::newRow("smb3") << QByteArray("smb3") << false << int(DriveRemote);
        QTest::newRow("sshfs") << QByteArray("fuse.sshfs") << false << int(DriveRemote);
        QTest::newRow("iso9660") << QByteArray("iso9660") << true << int(DriveCdRom);
        QTest::newRow("udf") << QByteArray("UDF") << false << int(DriveCdRom);
        QTest::newRow("tmpfs") << QByteArray("tmpfs") << false << int(DriveRamDisk);
        QTest::newRow("ramfs") << QByteArray("ramfs") << false << int(DriveRamDisk);
        QTest::newRow("unknown") << QByteArray() << false << int(DriveUnknown);
    }
    void volumeTypes() {
        QFETCH(QByteArray, fileSystem);
        QFETCH(bool, removableDevice);
        QFETCH(int, type);
        QCOMPARE(volumeDriveType(fileSystem, removableDevice), type);
    }

    void listsMountedFoldersWithAType() {
        SystemDrives drives;
        const QList<Drive> list = drives.list();
        QVERIFY(!list.isEmpty());
        for (const Drive& drive : list) {
            QVERIFY2(drive.root.endsWith(QLatin1Char('/')), qPrintable(drive.root));
            QVERIFY2(QFileInfo(drive.root).isDir(), qPrintable(drive.root));
            const int type = drives.type(drive);
            QVERIFY2(type >= DriveUnknown && type <= DriveRamDisk, qPrintable(drive.root));
        }
    }

#ifdef Q_OS_WIN
    // Every drive letter, as "C:/" with the name the drive list shows, "c:" or "c: [LABEL]". C: is
    // a fixed drive, as Wine's Z: (the Unix root) is too.
    void listsTheDriveLetters() {
        const QRegularExpression name(QStringLiteral("^[a-z]:( \\[.+\\])?$"));
        for (const Drive& drive : SystemDrives().list()) {
            QVERIFY2(QRegularExpression(QStringLiteral("^[A-Z]:/$")).match(drive.root).hasMatch(),
                     qPrintable(drive.root));
            QVERIFY2(name.match(drive.name).hasMatch(), qPrintable(drive.name));
            QCOMPARE(drive.name.left(2), drive.root.left(2).toLower());
        }
        const std::optional<Drive> c = listed(QStringLiteral("C:/"));
        QVERIFY(c);
        QCOMPARE(SystemDrives().type(*c), int(DriveFixed));
        if (const std::optional<Drive> z = listed(QStringLiteral("Z:/")))
            QCOMPARE(SystemDrives().type(*z), int(DriveFixed));
    }

    // Each row: a drive letter mapped to a folder with a type, as GetDriveTypeA reports it. Once
    // the letter is unmapped it is not listed and has no root.
    void typesOfMappedDrives_data() {
        QTest::addColumn<QChar>("letter");
        QTest::addColumn<int>("type");
        QTest::newRow("fixed") << QChar(u'Q') << int(DriveFixed);
        QTest::newRow("removable") << QChar(u'Q') << int(DriveRemovable);
        QTest::newRow("floppy") << QChar(u'A') << int(DriveRemovable);
        QTest::newRow("network") << QChar(u'Q') << int(DriveRemote);
        QTest::newRow("CD-ROM") << QChar(u'Q') << int(DriveCdRom);
        QTest::newRow("RAM disk") << QChar(u'Q') << int(DriveRamDisk);
    }
    void typesOfMappedDrives() {
        QFETCH(QChar, letter);
        QFETCH(int, type);
        test::TempFolder folder;
        const QString root = QString(letter) + QStringLiteral(":/");
        {
            const test::WineDrive mapped(letter, type, folder.path());
            if (!mapped.unavailable().isEmpty())
                QSKIP(qPrintable(mapped.unavailable()));
            const std::optional<Drive> drive = listed(root);
            QVERIFY(drive);
            QVERIFY2(drive->name.startsWith(QString(letter.toLower()) + QLatin1Char(':')),
                     qPrintable(drive->name));
            QCOMPARE(SystemDrives().type(*drive), type);
        }
        QVERIFY(!listed(root));
        QCOMPARE(SystemDrives().type({root, QString(letter.toLower()) + QLatin1Char(':')}),
                 int(DriveNoRootDir));
    }
#endif
};

QTEST_GUILESS_MAIN(TestSystemDrives)
#include "tst_SystemDrives.moc"
