#pragma once

#include <QWidget>

namespace quillmere {

// Places a widget by a layout given in twips (1/1440 inch), at 15 twips to the pixel.
inline void placeInTwips(QWidget* widget, int left, int top, int width, int height) {
    constexpr int twipsPerPixel = 15;
    widget->setGeometry(left / twipsPerPixel, top / twipsPerPixel, width / twipsPerPixel,
                        height / twipsPerPixel);
}

} // namespace quillmere
