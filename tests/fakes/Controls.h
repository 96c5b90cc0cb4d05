#pragma once

#include <QWidget>

namespace quillmere::test {

// The control of a window by its objectName, which is the control's name in the design; a
// missing control ends the test at once.
template <typename T> T* control(const QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

} // namespace quillmere::test
