#include "gui/TextFit.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <algorithm>
#include <cmath>
#include <vector>

namespace quillmere {

namespace {

// The window grows by sixteenths, to twice its design size at most.
constexpr int kGrowthSteps = 16;
constexpr int kMostGrowthSteps = 32;

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

// The texts a label shows in turn, which fitFontForTexts gives it.
constexpr char kShownTexts[] = "quillmereShownTexts";

bool labelFitsText(const QLabel& label, const QString& text) {
    if (text.isEmpty())
        return true;
    const QFontMetrics metrics(label.font());
    const QRect room = labelTextRoom(label, metrics);
    const int flags = label.wordWrap() ? Qt::TextWordWrap : Qt::TextSingleLine;
    const QRect needed = metrics.boundingRect(QRect(room.topLeft(), QSize(room.width(), 0)),
                                              flags | Qt::AlignLeft | Qt::AlignTop, text);
    return needed.width() <= room.width() && needed.height() <= room.height();
}

bool labelFits(const QLabel& label) {
    const QStringList shown = label.property(kShownTexts).toStringList();
    return labelFitsText(label, label.text()) &&
           std::all_of(shown.cbegin(), shown.cend(),
                       [&label](const QString& text) { return labelFitsText(label, text); });
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

// A control's place as the window was built: its geometry and its size limits.
struct DesignPlace {
    QWidget* widget;
    QRect geometry;
    QSize minimum;
    QSize maximum;
    bool laidOut; // placed by its parent's layout, which only its size limits steer
};

// Widgets whose children are the design's controls. Any other widget (a list, a tab strip, a
// text box) places its own parts.
bool holdsDesignControls(const QWidget& widget) {
    const QMetaObject* meta = widget.metaObject();
    return widget.isWindow() || meta == &QWidget::staticMetaObject ||
           meta == &QFrame::staticMetaObject || meta == &QGroupBox::staticMetaObject ||
           qobject_cast<const QStatusBar*>(&widget);
}

void collectDesign(QWidget& parent, std::vector<DesignPlace>& places) {
    const QList<QWidget*> children = parent.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* child : children) {
        if (child->isWindow())
            continue;
        places.push_back({child, child->geometry(), child->minimumSize(), child->maximumSize(),
                          parent.layout() != nullptr});
        if (holdsDesignControls(*child))
            collectDesign(*child, places);
    }
}

int scaled(int length, double factor) {
    return static_cast<int>(std::lround(length * factor));
}

// A size limit scaled, "no limit" kept.
QSize scaledLimit(QSize limit, double factor) {
    const auto one = [factor](int length) {
        return length >= QWIDGETSIZE_MAX || length == 0 ? length : scaled(length, factor);
    };
    return QSize(one(limit.width()), one(limit.height()));
}

QRect scaledRect(const QRect& rect, double factor) {
    const QPoint topLeft(scaled(rect.left(), factor), scaled(rect.top(), factor));
    const QPoint bottomRight(scaled(rect.left() + rect.width(), factor),
                             scaled(rect.top() + rect.height(), factor));
    return QRect(topLeft, bottomRight - QPoint(1, 1));
}

void placeScaled(const DesignPlace& place, double factor) {
    // The limits grow before the place, so that no limit holds the new size back.
    place.widget->setMaximumSize(scaledLimit(place.maximum, factor));
    place.widget->setMinimumSize(scaledLimit(place.minimum, factor));
    if (!place.laidOut)
        place.widget->setGeometry(scaledRect(place.geometry, factor));
}

// Lets every layout of the window place its controls now, before the window is first shown: the
// status bar's panels are placed by the bar's layout.
void layOut(QWidget& window) {
    QList<QWidget*> widgets = window.findChildren<QWidget*>();
    widgets.prepend(&window);
    for (QWidget* widget : std::as_const(widgets)) {
        if (QLayout* layout = widget->layout()) {
            layout->invalidate();
            layout->activate();
        }
    }
}

} // namespace

int smallestReadablePixels(const QWidget& control) {
    return static_cast<int>(std::ceil(kSmallestReadablePoints * control.logicalDpiY() / 72.0));
}

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

bool fitFont(QWidget& control, QFont font) {
    int pixels = QFontInfo(font).pixelSize();
    const int smallest = smallestReadablePixels(control);
    control.setFont(font);
    bool fits = textFits(control);
    while (!fits && pixels > smallest) {
        font.setPixelSize(--pixels);
        control.setFont(font);
        fits = textFits(control);
    }
    return fits;
}

void fitEveryText(QWidget& window) {
    QList<QWidget*> controls = window.findChildren<QWidget*>();
    controls.prepend(&window);
    QHash<QWidget*, QFont> designFonts;
    for (QWidget* control : std::as_const(controls))
        designFonts.insert(control, control->font());
    layOut(window);
    const auto fitAll = [&controls, &designFonts] {
        bool all = true;
        for (QWidget* control : std::as_const(controls)) {
            if (!textFits(*control) && !fitFont(*control, designFonts.value(control)))
                all = false;
        }
        return all;
    };
    if (fitAll())
        return;

    std::vector<DesignPlace> places;
    places.push_back(
        {&window, window.geometry(), window.minimumSize(), window.maximumSize(), true});
    collectDesign(window, places);
    for (int step = 1; step <= kMostGrowthSteps; ++step) {
        const double factor = 1.0 + static_cast<double>(step) / kGrowthSteps;
        for (const DesignPlace& place : places)
            placeScaled(place, factor);
        if (!window.layout())
            window.resize(scaledRect(places.front().geometry, factor).size());
        layOut(window);
        for (QWidget* control : std::as_const(controls))
            control->setFont(designFonts.value(control));
        if (fitAll())
            return;
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
    label.setProperty(kShownTexts, texts);
    label.clear();
    fitFont(label, label.font());
}

} // namespace quillmere
