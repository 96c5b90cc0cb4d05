#include "fakes/Controls.h"
#include "gui/dialogs/AboutBox.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace quillmere;

namespace {
QString labelText(const AboutBox& box, const char* name) {
    const auto* label = box.findChild<QLabel*>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<no %1>").arg(QLatin1String(name));
}

// Shows the box modally and presses the key once it is up; true when it closed.
bool closesOnKey(Qt::Key key) {
    AboutBox box;
    QTimer::singleShot(0, &box, [&box, key] { QTest::keyClick(&box, key); });
    QTimer::singleShot(2000, &box, [&box] { box.done(-1); });
    return box.exec() != -1;
}
} // namespace

class TestAboutBox : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void texts() {
        AboutBox box;
        QCOMPARE(box.objectName(), QStringLiteral("frmAbout"));
        QCOMPARE(box.windowTitle(), QStringLiteral("About Quillmere for Imail"));
        QCOMPARE(labelText(box, "lblTitle"), QStringLiteral("Imail Quillmere"));
        QCOMPARE(labelText(box, "lblVersion"), QStringLiteral("Version 1.0.4"));
        QCOMPARE(labelText(box, "lblDescription"),
                 QStringLiteral(
                     "Keeps track of changes you've made to Imail's url-domain-bl.txt file making "
                     "it a breeze to implement new anti-spam releases from Imail. When importing "
                     "new data from Imail, the manager automatically merges, re-allows URLs "
                     "you're removed and sorts the list. All you have to do is use this program "
                     "to remove URLS from your blacklist."));
        QVERIFY(labelText(box, "Label1")
                    .startsWith(QStringLiteral(
                        "Please feel free to send suggestions and/or comments to ")));
        QVERIFY(labelText(box, "Label1").endsWith(QStringLiteral("@brindlecove.example")));
    }

    void versionLineHasNoLeadingZeros() {
        QCOMPARE(AboutBox::versionLine(1, 0, 4), QStringLiteral("Version 1.0.4"));
        QCOMPARE(AboutBox::versionLine(2, 10, 0), QStringLiteral("Version 2.10.0"));
    }

    void pictureAndLayout() {
        AboutBox box;
        const auto* picture = box.findChild<QLabel*>(QStringLiteral("picIcon"));
        QVERIFY(picture);
        QCOMPARE(picture->pixmap().size(), QSize(135, 255));
        // The design, or a larger copy of it where the texts would not fit.
        const quillmere::test::DesignScale design(box, QSize(361, 254));
        QVERIFY2(design.isDesign(),
                 qPrintable(QStringLiteral("%1 x %2").arg(box.width()).arg(box.height())));
        const auto* ok = box.findChild<QPushButton*>(QStringLiteral("cmdOK"));
        QVERIFY(ok);
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QVERIFY(ok->isDefault());
        QCOMPARE(ok->geometry(), design(QRect(200, 224, 97, 23)));
    }

    void enterAndEscClose() {
        QVERIFY(closesOnKey(Qt::Key_Return));
        QVERIFY(closesOnKey(Qt::Key_Escape));
    }
};

QTEST_MAIN(TestAboutBox)
#include "tst_AboutBox.moc"
