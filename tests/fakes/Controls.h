#pragma once

#include <QRect>
#include <QWidget>
#include <cmath>

namespace quillmere::test {

// The control of a window by its objectName, which is the control's name in the design; a
// missing control ends the test at once.
template <typename T> T* control(const QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

// A window whose texts do not fit in its design, even in the smallest readable font, is made
// larger by sixteenths, every control alike. This is the design's place of a control in such a
// window, whose design is `designSize`: the same place when the window kept its design.
class DesignScale {
public:
    DesignScale(const QWidget& window, QSize designSize) {
        for (int step = 0; step <= 32; ++step) {
            const double factor = 1.0 + step / 16.0;
            if (scaled(designSize.width(), factor) == window.width() &&
                scaled(designSize.height(), factor) == window.height()) {
                m_factor = factor;
                return;
            }
        }
    }
    // False when the window is neither its design nor a larger copy of it.
    bool isDesign() const { return m_factor > 0; }
    QRect operator()(const QRect& design) const {
        const int left = scaled(design.left(), m_factor);
        const int top = scaled(design.top(), m_factor);
        return QRect(left, top, scaled(design.left() + design.width(), m_factor) - left,
                     scaled(design.top() + design.height(), m_factor) - top);
    }

private:
    static int scaled(int length, double factor) {
        return static_cast<int>(std::lround(length * factor));
    }
    double m_factor = 0;
};

} // namespace quillmere::test
