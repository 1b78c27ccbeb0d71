#include "style/Colors.h"

#include <QApplication>

namespace dexaro {

QColor colorFromHex(quint32 rgb) {
    return QColor::fromRgb(QRgb(0xFF000000u | (rgb & 0xFFFFFFu)));
}

bool isDarkAppearance(const QPalette& palette) {
    return palette.color(QPalette::Active, QPalette::Window).lightness() < 128;
}

bool isDarkAppearance() {
    return isDarkAppearance(QApplication::palette());
}

} // namespace dexaro

namespace dexaro {

bool isDarkAppearance(const QWidget*) {
    return isDarkAppearance();
}

} // namespace dexaro
