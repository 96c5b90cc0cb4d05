#include "gallery/WindowGallery.h"
#include "gui/TextFit.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <memory>

using namespace quillmere;
using quillmere::test::GalleryView;
using quillmere::test::WindowGallery;

namespace {

constexpr int kFontPixels = 12;
// The font the fitting tests start from: well above the smallest readable size.
constexpr int kLargeFontPixels = 18;

QFont fontOf(int pixels) {
    QFont font = QApplication::font();
    font.setPixelSize(pixels);
    return font;
}

// A control of the given kind, text and size, in the 12-pixel font the tests measure with.
std::unique_ptr<QWidget> makeControl(const QByteArray& kind, const QString& text, QSize size) {
    std::unique_ptr<QWidget> control;
    if (kind == "label" || kind == "wrapped label") {
        auto label = std::make_unique<QLabel>(text);
        label->setWordWrap(kind == "wrapped label");
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        control = std::move(label);
    } else if (kind == "button") {
        control = std::make_unique<QPushButton>(text);
    } else if (kind == "check box") {
        control = std::make_unique<QCheckBox>(text);
    } else {
        control = std::make_unique<QGroupBox>(text);
    }
    control->setFont(fontOf(kFontPixels));
    control->setGeometry(QRect(QPoint(0, 0), size));
    return control;
}

QString nameOf(const QWidget* control) {
    return QStringLiteral("%1 (%2)").arg(control->objectName(),
                                         QLatin1String(control->metaObject()->className()));
}

// Every control of the window, the window included, whose text is wider or taller than its box.
QStringList cutTexts(QWidget* window) {
    QList<QWidget*> controls = window->findChildren<QWidget*>();
    controls.prepend(window);
    QStringList cut;
    for (const QWidget* control : controls) {
        if (!textFits(*control))
            cut << nameOf(control);
    }
    return cut;
}

// Every control of the window with a text in a font below the smallest readable size.
QStringList unreadableFonts(QWidget* window) {
    QList<QWidget*> controls = window->findChildren<QWidget*>();
    controls.prepend(window);
    QStringList small;
    for (const QWidget* control : controls) {
        if (QFontInfo(control->font()).pixelSize() < smallestReadablePixels(*control))
            small << QStringLiteral("%1 %2 px")
                         .arg(nameOf(control))
                         .arg(QFontInfo(control->font()).pixelSize());
    }
    return small;
}

// The width a one-line text takes in a font of that pixel size.
int textWidth(const QString& text, int pixels) {
    return QFontMetrics(fontOf(pixels)).boundingRect(text).width();
}

} // namespace

class TestTextFit : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        m_defaultFont = QApplication::font();
        m_gallery = std::make_unique<WindowGallery>();
    }
    void cleanupTestCase() {
        m_gallery.reset();
        QApplication::setFont(m_defaultFont);
    }

    // Each row: the kind of control, its text and size; whether the text fits.
    void measure_data() {
        QTest::addColumn<QByteArray>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("fits");
        const QString longText = QStringLiteral("Restart queue manager on exit");
        const QString paragraph = QStringLiteral(
            "If data has changed, automatically save without prompting when exiting the program.");
        QTest::newRow("label, room enough")
            << QByteArray("label") << longText << QSize(400, 20) << true;
        QTest::newRow("label too narrow")
            << QByteArray("label") << longText << QSize(100, 20) << false;
        QTest::newRow("label too low") << QByteArray("label") << longText << QSize(400, 6) << false;
        QTest::newRow("wrapped label, lines enough")
            << QByteArray("wrapped label") << paragraph << QSize(200, 100) << true;
        QTest::newRow("wrapped label, lines cut off")
            << QByteArray("wrapped label") << paragraph << QSize(200, 30) << false;
        QTest::newRow("wrapped label, a word wider than the box")
            << QByteArray("wrapped label") << QStringLiteral("url-domain-bl.txt") << QSize(40, 100)
            << false;
        QTest::newRow("button") << QByteArray("button") << QStringLiteral("re-activate")
                                << QSize(97, 25) << true;
        QTest::newRow("button too narrow")
            << QByteArray("button") << QStringLiteral("Trim added list") << QSize(50, 25) << false;
        QTest::newRow("check box too narrow")
            << QByteArray("check box") << longText << QSize(60, 20) << false;
        QTest::newRow("group box title")
            << QByteArray("group box") << QStringLiteral("Switches") << QSize(297, 89) << true;
        QTest::newRow("group box title too wide")
            << QByteArray("group box") << QStringLiteral("Listed in release") << QSize(40, 89)
            << false;
    }
    void measure() {
        QFETCH(QByteArray, kind);
        QFETCH(QString, text);
        QFETCH(QSize, size);
        QFETCH(bool, fits);
        const std::unique_ptr<QWidget> control = makeControl(kind, text, size);
        QCOMPARE(textFits(*control), fits);
    }

    void fitFontShrinksOnlyAsFarAsNeeded() {
        const QString text = QStringLiteral("Default import folder");
        QLabel label(text);
        label.setGeometry(0, 0, textWidth(text, kLargeFontPixels - 4), 40);
        QVERIFY(fitFont(label, fontOf(kLargeFontPixels)));
        QVERIFY(textFits(label));
        const int fitted = QFontInfo(label.font()).pixelSize();
        QVERIFY(fitted < kLargeFontPixels);
        label.setFont(fontOf(fitted + 1));
        QVERIFY(!textFits(label));

        // A text that fits keeps the font it was given.
        label.setText(QStringLiteral("OK"));
        QVERIFY(fitFont(label, fontOf(kLargeFontPixels)));
        QCOMPARE(QFontInfo(label.font()).pixelSize(), kLargeFontPixels);
    }

    // Smaller than 8 points a font loses strokes: the text is left cut rather than unreadable.
    void fitFontStopsAtTheSmallestReadableSize() {
        const QString text = QStringLiteral("Imail root folder");
        QLabel label(text);
        label.setGeometry(0, 0, textWidth(text, kLargeFontPixels) / 3, 40);
        QVERIFY(!fitFont(label, fontOf(kLargeFontPixels)));
        QCOMPARE(QFontInfo(label.font()).pixelSize(), smallestReadablePixels(label));
        QVERIFY(QFontInfo(label.font()).pointSizeF() >= kSmallestReadablePoints - 0.01);
    }

    // A window whose text does not fit even in the smallest readable font grows, every control
    // by the same factor: the design keeps its order and proportions.
    void fitEveryTextGivesTheWindowRoomInProportion() {
        const QString text = QStringLiteral("Restart queue manager on exit");
        const int needed = textWidth(text, smallestReadablePixels(QWidget()));
        QWidget window;
        window.setFixedSize(needed, 100);
        auto* label = new QLabel(text, &window);
        label->setGeometry(needed / 4, 10, needed * 3 / 4 - needed / 10, 30);
        label->setFont(fontOf(kLargeFontPixels));
        auto* button = new QPushButton(QStringLiteral("OK"), &window);
        button->setGeometry(needed / 2, 60, needed / 4, 30);
        fitEveryText(window);

        QVERIFY(textFits(*label));
        QCOMPARE(unreadableFonts(&window), QStringList());
        const double factor = static_cast<double>(window.width()) / needed;
        QVERIFY2(factor > 1.0 && factor <= 2.0, qPrintable(QString::number(factor)));
        QCOMPARE(window.minimumSize(), window.maximumSize());
        // Each place scaled alike, to a pixel.
        const auto near = [factor](int designed, int now) {
            return std::abs(qRound(designed * factor) - now) <= 1;
        };
        QVERIFY(near(100, window.height()));
        QVERIFY(near(needed / 4, label->x()) && near(10, label->y()) && near(30, label->height()));
        QVERIFY(near(needed / 2, button->x()) && near(60, button->y()));
        QVERIFY(near(needed / 4, button->width()) && near(30, button->height()));
        QVERIFY(near(needed * 3 / 4 - needed / 10, label->width()));
    }

    // Each row: the label's design width and the free width to its right, in percent of the width
    // its text needs in the 12-pixel font; whether fitting widens it and whether its font shrinks.
    void fitLabelTakesTheFreeWidthFirst_data() {
        QTest::addColumn<int>("widthPercent");
        QTest::addColumn<int>("freePercent");
        QTest::addColumn<bool>("widened");
        QTest::addColumn<bool>("shrunk");
        QTest::newRow("fits as designed") << 110 << 150 << false << false;
        QTest::newRow("fits in the free width") << 60 << 150 << true << false;
        QTest::newRow("too wide for the free width too") << 60 << 85 << true << true;
    }
    void fitLabelTakesTheFreeWidthFirst() {
        QFETCH(int, widthPercent);
        QFETCH(int, freePercent);
        QFETCH(bool, widened);
        QFETCH(bool, shrunk);
        QWidget parent;
        QLabel label(QStringLiteral("  Restart queue manager on exit"), &parent);
        label.setFont(fontOf(kLargeFontPixels));
        const int needed = label.sizeHint().width();
        const int width = needed * widthPercent / 100;
        const int right = 24 + needed * freePercent / 100;
        label.setGeometry(24, 0, width, 30);
        fitLabel(label, right);
        QVERIFY(textFits(label));
        QCOMPARE(label.width() > width, widened);
        QVERIFY(label.geometry().right() < right);
        QCOMPARE(QFontInfo(label.font()).pixelSize() < kLargeFontPixels, shrunk);
        if (widened && !shrunk)
            QCOMPARE(label.width(), needed);
    }

    void fitFontForTextsFitsTheLongest() {
        QLabel label;
        label.setWordWrap(true);
        label.setGeometry(0, 0, 160, 60);
        label.setFont(fontOf(kLargeFontPixels));
        const QStringList texts{QStringLiteral("Short."),
                                QStringLiteral("A hint of several lines that needs a smaller "
                                               "font to fit.")};
        fitFontForTexts(label, texts);
        QCOMPARE(label.text(), QString());
        // Empty, it still counts as fitting only when each of its texts does.
        QVERIFY(textFits(label));
        const QFont fitted = label.font();
        label.setFont(fontOf(kLargeFontPixels));
        QVERIFY(!textFits(label));
        label.setFont(fitted);
        for (const QString& text : texts) {
            label.setText(text);
            QVERIFY2(textFits(label), qPrintable(text));
        }
    }

    // Each row: a view, in the font Qt picks or in a larger one, as on a desktop with larger
    // text (the fitting happens at run time, with whatever font the machine has).
    void everyTextOfEveryWindowFits_data() {
        QTest::addColumn<int>("fontPoints");
        QTest::addColumn<int>("view");
        for (int points : {0, 11}) {
            for (qsizetype k = 0; k < m_gallery->views().size(); ++k) {
                const QString font =
                    points == 0 ? QStringLiteral("Qt's font") : QStringLiteral("%1 pt").arg(points);
                QTest::addRow("%s, %s", qPrintable(m_gallery->views().at(k).name), qPrintable(font))
                    << points << static_cast<int>(k);
            }
        }
    }
    void everyTextOfEveryWindowFits() {
        QFETCH(int, fontPoints);
        QFETCH(int, view);
        if (fontPoints != m_galleryPoints) {
            m_gallery.reset();
            QFont font = m_defaultFont;
            if (fontPoints != 0)
                font.setPointSize(fontPoints);
            QApplication::setFont(font);
            m_gallery = std::make_unique<WindowGallery>();
            m_galleryPoints = fontPoints;
        }
        const GalleryView& shown = m_gallery->views().at(view);
        QVERIFY(WindowGallery::show(shown));
        const QStringList cut = cutTexts(shown.window);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral(", "))));
        const QStringList small = unreadableFonts(shown.window);
        QVERIFY2(small.isEmpty(), qPrintable(small.join(QStringLiteral(", "))));
    }

private:
    QFont m_defaultFont;
    std::unique_ptr<WindowGallery> m_gallery;
    int m_galleryPoints = 0;
};

QTEST_MAIN(TestTextFit)
#include "tst_TextFit.moc"
