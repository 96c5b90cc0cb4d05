#pragma once

#include <QFont>
#include <QStringList>

class QLabel;
class QWidget;

namespace quillmere {

// The windows keep the sizes of their design, made for the 8-point system font of an older
// platform; the fonts Qt picks today (Segoe UI on Windows, DejaVu Sans on Linux) are wider. These
// keep every caption, label and button text whole in its fixed box.

// True when the control's text is shown whole in its box with the control's font: a label's
// text (wrapped for a word-wrapping label), a button's or check box's text, a group box's title,
// a tab bar's tab texts. Any other control has no such text and fits.
bool textFits(const QWidget& control);

// The smallest font size a text is shrunk to: 8 points, the platform's small readable size. Below
// it strokes are lost and the text cannot be read.
inline constexpr int kSmallestReadablePoints = 8;

// The pixel size of that smallest font on the control's screen.
int smallestReadablePixels(const QWidget& control);

// Gives the control the font `font`, then makes it a pixel smaller at a time (down to
// smallestReadablePixels) until its text fits. True when it fits.
bool fitFont(QWidget& control, QFont font);

// fitFont for every control of the window (the window included) whose text does not fit: the
// last step of building a window. Where a text does not fit even in the smallest readable font,
// the window grows instead: every control's place and size (and the window's) by the same factor,
// a sixteenth at a time, so that the design keeps its order and proportions.
void fitEveryText(QWidget& window);

// A one-line label first takes the free width to its right, up to x = `right` in its parent and
// no more than its text needs; only what still does not fit makes its font smaller.
void fitLabel(QLabel& label, int right);

// Gives each control the smallest of their fonts, so that a column of labels reads as one. A
// smaller font keeps every text fitting.
void shareSmallestFont(const QList<QWidget*>& controls);

// For a label that shows one of several texts in turn: the font in which each of them fits. The
// label is left empty and keeps the texts, so that it counts as fitting only when each of them
// fits (fitEveryText gives it the room for each, fitFont a font for each).
void fitFontForTexts(QLabel& label, const QStringList& texts);

} // namespace quillmere
