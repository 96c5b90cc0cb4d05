#include "gui/dialogs/LoadWindow.h"

#include "app/Prompter.h"
#include "gui/TextFit.h"
#include "gui/Twips.h"

#include <QGroupBox>
#include <QLabel>

namespace quillmere {

LoadWindow::LoadWindow(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("frmLoad"));
    setWindowTitle(Prompter::programTitle());
    setFixedSize(2880 / 15, 1080 / 15);

    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    placeInTwips(frame, 120, 60, 2640, 900);

    auto* label = new QLabel(QStringLiteral("loading data..."), frame);
    label->setObjectName(QStringLiteral("Label1"));
    label->setFont(QFont(QStringLiteral("MS Sans Serif")));
    label->setAlignment(Qt::AlignCenter);
    placeInTwips(label, 120, 240, 2400, 495);
    fitEveryText(*this);
}

} // namespace quillmere
