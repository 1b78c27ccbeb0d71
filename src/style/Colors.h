#pragma once
// Colours shared by the program's own views: hexadecimal RGB values as the
// screens name them, and the light/dark appearance taken from the desktop palette.
#include <QColor>
#include <QPalette>

class QWidget;

namespace dexaro {

// 0xRRGGBB -> opaque colour.
QColor colorFromHex(quint32 rgb);

// Dark appearance: the palette's window colour is darker than mid-grey.
bool isDarkAppearance(const QPalette& palette);
// The desktop's appearance, from the application palette (a widget's own
// palette may carry colours that Dexaro set itself).
bool isDarkAppearance();
// The same for a widget's screen: widgets share the desktop's appearance.
bool isDarkAppearance(const QWidget* widget);

} // namespace dexaro
