#pragma once

#include <QDialog>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>

namespace quillmere {

// Focus and keys as the users know them from Windows.

// True when the focus moved from one control to another inside a window. False when it only came
// back with the window (re-activated, a message box or dialog closed, a menu closed) or left with
// it: the classic GotFocus and LostFocus events do not fire then.
inline bool focusMovedWithinWindow(const QFocusEvent& event) {
    return event.reason() != Qt::ActiveWindowFocusReason && event.reason() != Qt::PopupFocusReason;
}

// Enter while a button of the window has the focus presses that button; true when it did. Qt
// leaves Enter to the default button, which these windows do not have or choose themselves.
inline bool pressFocusedButton(const QWidget& window, const QKeyEvent& event) {
    if (event.key() != Qt::Key_Return && event.key() != Qt::Key_Enter)
        return false;
    auto* button = qobject_cast<QPushButton*>(window.focusWidget());
    if (!button || !button->isEnabled())
        return false;
    button->click();
    return true;
}

// A dialog whose keys are those of a classic form: Escape does not close it (only its buttons
// and the window frame do), and Enter presses the button that has the focus. It adds no signals
// or slots, so it needs no Q_OBJECT of its own.
class ClassicDialog : public QDialog {
public:
    using QDialog::QDialog;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape) {
            event->accept();
            return;
        }
        if (pressFocusedButton(*this, *event))
            return;
        QDialog::keyPressEvent(event);
    }
};

} // namespace quillmere
