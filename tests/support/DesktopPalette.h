#pragma once
// Gives the application the palette of a light or dark desktop for as long as
// the object lives: the window colour decides which appearance is in effect.
#include <QApplication>
#include <QPalette>

namespace dexaro::test {

class DesktopPalette {
public:
    explicit DesktopPalette(const QColor& window) : m_saved(QApplication::palette()) {
        QPalette palette = m_saved;
        palette.setColor(QPalette::Window, window);
        QApplication::setPalette(palette);
    }
    ~DesktopPalette() { QApplication::setPalette(m_saved); }
    DesktopPalette(const DesktopPalette&) = delete;
    DesktopPalette& operator=(const DesktopPalette&) = delete;

private:
    QPalette m_saved;
};

} // namespace dexaro::test
