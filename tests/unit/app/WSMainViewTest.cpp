// Background views follow the desktop's appearance.
#include "style/WSMainView.h"
#include "activation/CustomNSPopoverView.h"
#include "style/Colors.h"
#include "support/QtPrinters.h"

#include <QApplication>
#include <gtest/gtest.h>

using namespace dexaro;

namespace {

// Switches the application palette for the life of the object.
class DesktopPalette {
public:
    explicit DesktopPalette(const QColor& window) : m_saved(QApplication::palette()) {
        QPalette palette = m_saved;
        palette.setColor(QPalette::Window, window);
        QApplication::setPalette(palette);
    }
    ~DesktopPalette() { QApplication::setPalette(m_saved); }

private:
    QPalette m_saved;
};

} // namespace

TEST(WSMainView, PaintsTheColourOfTheDesktopsAppearance) {
    const QColor light = colorFromHex(0xFBFBFD);
    const QColor dark = colorFromHex(0x262A31);
    struct Row {
        const char* name;
        QColor desktopWindow;
        std::optional<QColor> lightColour;
        std::optional<QColor> darkColour;
        QColor expected;
    };
    const Row rows[] = {
        {"light desktop", Qt::white, light, dark, light},
        {"dark desktop", colorFromHex(0x202020), light, dark, dark},
        {"dark desktop, no dark colour: the desktop's", colorFromHex(0x202020), light, std::nullopt,
         colorFromHex(0x202020)},
        {"light desktop, no colours: the desktop's", colorFromHex(0xEEEEEE), std::nullopt,
         std::nullopt, colorFromHex(0xEEEEEE)},
    };
    for (const Row& row : rows) {
        DesktopPalette palette(row.desktopWindow);
        WSMainView view;
        view.setColors(row.lightColour, row.darkColour);
        EXPECT_EQ(view.currentBackgroundColor(), row.expected) << row.name;
    }
}

TEST(CustomNSPopoverView, BackdropIsWhiteInLightAndTheDesktopsWindowColourInDark) {
    CustomNSPopoverView view;
    EXPECT_EQ(view.currentBackdropColor(), QColor(Qt::white));
    DesktopPalette dark(colorFromHex(0x333333));
    EXPECT_EQ(view.currentBackdropColor(), colorFromHex(0x333333));
}
