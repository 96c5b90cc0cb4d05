#include "gui/TextFit.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <algorithm>

namespace quillmere {

namespace {

constexpr int kSmallestPixels = 8;

// The rectangle QLabel draws its text in: the contents less the margin and the indent.
QRect labelTextRoom(const QLabel& label, const QFontMetrics& metrics) {
    const int margin = label.margin();
    QRect room = label.contentsRect().adjusted(margin, margin, -margin, -margin);
    int indent = label.indent();
    if (indent < 0 && label.frameWidth() > 0)
        indent = metrics.horizontalAdvance(QLatin1Char('x')) / 2 - margin;
    if (indent > 0) {
        const Qt::Alignment align = label.alignment();
        if (align & Qt::AlignLeft)
            room.setLeft(room.left() + indent);
        if (align & Qt::AlignRight)
            room.setRight(room.right() - indent);
        if (align & Qt::AlignTop)
            room.setTop(room.top() + indent);
        if (align & Qt::AlignBottom)
            room.setBottom(room.bottom() - indent);
    }
    return room;
}

bool labelFits(const QLabel& label) {
    if (label.text().isEmpty())
        return true;
    const QFontMetrics metrics(label.font());
    const QRect room = labelTextRoom(label, metrics);
    const int flags = label.wordWrap() ? Qt::TextWordWrap : Qt::TextSingleLine;
    const QRect needed = metrics.boundingRect(QRect(room.topLeft(), QSize(room.width(), 0)),
                                              flags | Qt::AlignLeft | Qt::AlignTop, label.text());
    return needed.width() <= room.width() && needed.height() <= room.height();
}

bool pushButtonFits(const QPushButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    if (button.autoDefault())
        option.features |= QStyleOptionButton::AutoDefaultButton;
    if (button.isDefault())
        option.features |= QStyleOptionButton::DefaultButton;
    const QRect contents =
        button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
    const QFontMetrics metrics(button.font());
    return metrics.size(Qt::TextShowMnemonic, button.text()).width() <= contents.width() &&
           metrics.height() <= button.height();
}

bool checkBoxFits(const QCheckBox& box) {
    if (box.text().isEmpty())
        return true;
    QStyleOptionButton option;
    option.initFrom(&box);
    option.text = box.text();
    const QRect contents = box.style()->subElementRect(QStyle::SE_CheckBoxContents, &option, &box);
    const QFontMetrics metrics(box.font());
    return metrics.size(Qt::TextShowMnemonic, box.text()).width() <= contents.width() &&
           metrics.height() <= box.height();
}

bool tabsFit(const QTabBar& bar) {
    const QFontMetrics metrics(bar.font());
    for (int tab = 0; tab < bar.count(); ++tab) {
        if (metrics.size(Qt::TextShowMnemonic, bar.tabText(tab)).width() >=
            bar.tabRect(tab).width())
            return false;
    }
    return true;
}

} // namespace

bool textFits(const QWidget& control) {
    if (const auto* label = qobject_cast<const QLabel*>(&control))
        return labelFits(*label);
    if (const auto* button = qobject_cast<const QPushButton*>(&control))
        return pushButtonFits(*button);
    if (const auto* box = qobject_cast<const QCheckBox*>(&control))
        return checkBoxFits(*box);
    if (const auto* group = qobject_cast<const QGroupBox*>(&control))
        return group->title().isEmpty() || group->minimumSizeHint().width() <= group->width();
    if (const auto* bar = qobject_cast<const QTabBar*>(&control))
        return tabsFit(*bar);
    return true;
}

void fitFont(QWidget& control, QFont font) {
    int pixels = QFontInfo(font).pixelSize();
    control.setFont(font);
    while (!textFits(control) && pixels > kSmallestPixels) {
        font.setPixelSize(--pixels);
        control.setFont(font);
    }
}

void fitEveryText(QWidget& window) {
    QList<QWidget*> controls = window.findChildren<QWidget*>();
    controls.prepend(&window);
    for (QWidget* control : controls) {
        if (!textFits(*control))
            fitFont(*control, control->font());
    }
}

void fitLabel(QLabel& label, int right) {
    const int free = right - label.x();
    if (!textFits(label) && label.width() < free)
        label.resize(std::clamp(label.sizeHint().width(), label.width(), free), label.height());
    fitFont(label, label.font());
}

void shareSmallestFont(const QList<QWidget*>& controls) {
    if (controls.isEmpty())
        return;
    const auto smallest = std::min_element(
        controls.cbegin(), controls.cend(), [](const QWidget* left, const QWidget* right) {
            return QFontInfo(left->font()).pixelSize() < QFontInfo(right->font()).pixelSize();
        });
    const QFont font = (*smallest)->font();
    for (QWidget* control : controls)
        control->setFont(font);
}

void fitFontForTexts(QLabel& label, const QStringList& texts) {
    QFont font = label.font();
    for (const QString& text : texts) {
        label.setText(text);
        fitFont(label, font);
        font = label.font();
    }
    label.clear();
}

} // namespace quillmere
