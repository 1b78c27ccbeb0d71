#pragma once
// Gives the application the palette of a light or dark desktop for as long as
// the object lives: the window colour decides which appearance is in effect.
#include <QApplication>
#include <QPalette>

namespace dexaro::test {

// A full dark desktop palette, for pictures of the dark appearance.
inline QPalette darkDesktopPalette() {
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0x2B, 0x2D, 0x2F));
    palette.setColor(QPalette::WindowText, QColor(0xE8, 0xE8, 0xE8));
    palette.setColor(QPalette::Base, QColor(0x1E, 0x1F, 0x21));
    palette.setColor(QPalette::Text, QColor(0xE8, 0xE8, 0xE8));
    palette.setColor(QPalette::Button, QColor(0x3A, 0x3D, 0x42));
    palette.setColor(QPalette::ButtonText, QColor(0xE8, 0xE8, 0xE8));
    palette.setColor(QPalette::Mid, QColor(0x50, 0x53, 0x58));
    palette.setColor(QPalette::Highlight, QColor(0x3D, 0x6F, 0xB5));
    palette.setColor(QPalette::HighlightedText, QColor(0xFF, 0xFF, 0xFF));
    return palette;
}

class DesktopPalette {
public:
    explicit DesktopPalette(const QPalette& palette) : m_saved(QApplication::palette()) {
        QApplication::setPalette(palette);
    }
    ~DesktopPalette() { QApplication::setPalette(m_saved); }
    DesktopPalette(const DesktopPalette&) = delete;
    DesktopPalette& operator=(const DesktopPalette&) = delete;

private:
    QPalette m_saved;
};

} // namespace dexaro::test
