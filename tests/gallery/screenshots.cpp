// Screenshots of every window and dialog of the desktop program, one PNG per view, taken from the
// screen of the running window system (scripts/screenshots.sh runs it under Xvfb). Prints each
// control whose text does not fit its box, and fails when there is one.

#include "WindowGallery.h"
#include "gui/TextFit.h"

#include <QApplication>
#include <QDir>
#include <QFontInfo>
#include <QScreen>
#include <QTextStream>
#include <QWidget>

using quillmere::test::GalleryView;
using quillmere::test::WindowGallery;

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 2) {
        QTextStream(stderr) << "usage: " << arguments.value(0) << " OUTPUT-FOLDER\n";
        return 2;
    }
    const QDir folder(arguments.at(1));
    if (!folder.mkpath(QStringLiteral("."))) {
        QTextStream(stderr) << "cannot create " << folder.path() << '\n';
        return 1;
    }
    QTextStream out(stdout);
    const QFont font = QApplication::font();
    out << "platform " << QApplication::platformName() << ", font " << QFontInfo(font).family()
        << ' ' << QFontInfo(font).pixelSize() << " px\n";

    int cut = 0;
    WindowGallery gallery;
    for (const GalleryView& view : gallery.views()) {
        if (!WindowGallery::show(view)) {
            QTextStream(stderr) << view.name << ": the window never became active\n";
            return 1;
        }
        const QString file = folder.filePath(view.name + QStringLiteral(".png"));
        const QPixmap shot = view.window->screen()->grabWindow(view.window->winId());
        if (!shot.save(file)) {
            QTextStream(stderr) << "cannot write " << file << '\n';
            return 1;
        }
        out << file << '\n';
        QList<QWidget*> controls = view.window->findChildren<QWidget*>();
        controls.prepend(view.window);
        for (const QWidget* control : controls) {
            if (quillmere::textFits(*control))
                continue;
            out << "  cut: " << control->objectName() << '\n';
            ++cut;
        }
    }
    return cut == 0 ? 0 : 1;
}
