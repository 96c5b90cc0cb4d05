// What an X11 window manager is told about each window's frame: the Motif hints Qt sets on the
// window, read back from the X server the way a window manager reads them. Only the main window
// may be minimised or maximised; every dialog has a close box at most.

#include "gallery/WindowGallery.h"

#include <QApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QWidget>
#include <QtTest>
#include <memory>

using namespace quillmere::test;

namespace {

// The Motif hints' fields, and the bits that name the minimise and maximise buttons.
constexpr unsigned kFunctionsGiven = 1U << 0;
constexpr unsigned kDecorationsGiven = 1U << 1;
constexpr unsigned kAll = 1U << 0;
constexpr unsigned kMinimizeFunction = 1U << 3;
constexpr unsigned kMaximizeFunction = 1U << 4;
constexpr unsigned kMinimizeDecoration = 1U << 5;
constexpr unsigned kMaximizeDecoration = 1U << 6;

// Whether a window manager may offer the function or draw the button: everything when the field
// is not given; with the "all" bit, everything but what the field names.
bool allows(unsigned given, unsigned field, unsigned bit) {
    if (!given)
        return true;
    return (field & kAll) ? !(field & bit) : (field & bit) != 0;
}

// Reads _MOTIF_WM_HINTS of the window (flags, functions, decorations, ...) and tells whether a
// window manager may offer to minimise it and to maximise it: a button is drawn for a function
// only when both the functions and the decorations allow it.
QList<bool> frameButtonsOf(const QWidget& window) {
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window.winId()),
                                          QStringLiteral("_MOTIF_WM_HINTS")});
    if (!xprop.waitForFinished(10000) || xprop.exitCode() != 0)
        qFatal("xprop failed: %s", xprop.readAllStandardError().constData());
    const QString answer = QString::fromLatin1(xprop.readAllStandardOutput()).trimmed();
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("= (0x[0-9a-f]+), (0x[0-9a-f]+), (0x[0-9a-f]+)"))
            .match(answer);
    if (!match.hasMatch())
        return {true, true};
    const unsigned flags = match.captured(1).toUInt(nullptr, 16);
    const unsigned functions = match.captured(2).toUInt(nullptr, 16);
    const unsigned decorations = match.captured(3).toUInt(nullptr, 16);
    const unsigned givesFunctions = flags & kFunctionsGiven;
    const unsigned givesDecorations = flags & kDecorationsGiven;
    return {allows(givesFunctions, functions, kMinimizeFunction) &&
                allows(givesDecorations, decorations, kMinimizeDecoration),
            allows(givesFunctions, functions, kMaximizeFunction) &&
                allows(givesDecorations, decorations, kMaximizeDecoration)};
}

} // namespace

class TestWindowManagerHints : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server (QT_QPA_PLATFORM=xcb under xvfb-run)");
        m_gallery = std::make_unique<WindowGallery>();
    }
    void cleanupTestCase() { m_gallery.reset(); }

    void onlyTheMainWindowMinimisesAndMaximises_data() {
        QTest::addColumn<QString>("view");
        QTest::addColumn<bool>("resizable");
        QTest::newRow("main window") << QStringLiteral("frmMain-Main") << true;
        for (const char* dialog :
             {"frmOptions-Label1", "frmPathChooser", "frmAbout", "frmLoad", "frmEval"})
            QTest::newRow(dialog) << QString::fromLatin1(dialog) << false;
    }
    void onlyTheMainWindowMinimisesAndMaximises() {
        QFETCH(QString, view);
        QFETCH(bool, resizable);
        QWidget* window = nullptr;
        for (const GalleryView& each : m_gallery->views()) {
            if (each.name == view)
                window = each.window;
        }
        QVERIFY(window);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        // Minimise, maximise.
        QCOMPARE(frameButtonsOf(*window), QList<bool>(2, resizable));
        window->hide();
    }

private:
    std::unique_ptr<WindowGallery> m_gallery;
};

QTEST_MAIN(TestWindowManagerHints)
#include "tst_WindowManagerHints.moc"
