#include "platform/SystemDrives.h"

#include <QFileInfo>
#include <QTest>

using namespace quillmere;

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
};

QTEST_GUILESS_MAIN(TestSystemDrives)
#include "tst_SystemDrives.moc"
