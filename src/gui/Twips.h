#pragma once

#include <QRect>
#include <QWidget>

namespace quillmere {

// The windows are designed in twips (1/1440 inch): 15 to a pixel at 96 dpi.
inline QRect twips(int left, int top, int width, int height) {
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

// Places a widget by a layout given in twips.
inline void placeInTwips(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(twips(left, top, width, height));
}

} // namespace quillmere
