#include "gui/dialogs/AboutBox.h"

#include "app/Prompter.h"
#include "gui/TextFit.h"
#include "gui/Twips.h"
#include "gui/dialogs/AboutPicture.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace quillmere {

namespace {

constexpr int kClientWidth = 5415;

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, QRect place) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(place);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// One line of the etched rule under the text.
void makeRuleLine(QWidget* parent, const QColor& colour, int y) {
    auto* line = new QFrame(parent);
    line->setObjectName(QStringLiteral("Line1"));
    line->setGeometry(QRect(QPoint(2040 / 15, y / 15), QPoint(5400 / 15, y / 15)));
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
}

} // namespace

QString AboutBox::versionLine(int major, int minor, int revision) {
    return QStringLiteral("Version %1.%2.%3").arg(major).arg(minor).arg(revision);
}

AboutBox::AboutBox(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Quillmere for Imail"));
    setFixedSize(twips(0, 0, kClientWidth, 3810).size());

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("picIcon"));
    picture->setGeometry(twips(0, 0, 2025, 3825));
    picture->setPixmap(drawAboutPicture(QSize(135, 255)));

    QLabel* title = makeLabel(this, "lblTitle", Prompter::programTitle(),
                              twips(2160, 120, kClientWidth - 2160, 240));
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPixelSize(15);
    fitFont(*title, titleFont);
    makeLabel(
        this, "lblVersion",
        versionLine(QUILLMERE_VERSION_MAJOR, QUILLMERE_VERSION_MINOR, QUILLMERE_VERSION_PATCH),
        twips(2160, 480, kClientWidth - 2160, 225));
    QLabel* description = makeLabel(
        this, "lblDescription",
        QStringLiteral("Keeps track of changes you've made to Imail's url-domain-bl.txt file "
                       "making it a breeze to implement new anti-spam releases from Imail. "
                       "When importing new data from Imail, the manager automatically "
                       "merges, re-allows URLs you're removed and sorts the list. All you "
                       "have to do is use this program to remove URLS from your blacklist."),
        twips(2160, 840, 3135, 1650));
    QLabel* contact =
        makeLabel(this, "Label1",
                  QStringLiteral("Please feel free to send suggestions and/or comments to "
                                 "quillmere@brindlecove.example"),
                  twips(2160, 2640, 3135, 495));
    for (QLabel* label : {description, contact}) {
        label->setWordWrap(true);
        fitFont(*label, label->font());
    }
    makeRuleLine(this, QColor(0x80, 0x80, 0x80), 3225);
    makeRuleLine(this, Qt::white, 3240);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setGeometry(twips(3000, 3360, 1467, 345));
    ok->setDefault(true);
    // Esc closes the dialog through reject(), which is the same as OK here.
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    fitEveryText(*this);
}

} // namespace quillmere
