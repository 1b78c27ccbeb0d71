// Navigation images: every look is there, and the derived looks fall back to
// the named image when an asset is missing.
#include "app/ToolbarImageButton.h"
#include "app/WSToolbarButtonLabel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace dexaro::test {
namespace {

QPalette darkPalette() {
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0x20, 0x22, 0x28));
    palette.setColor(QPalette::WindowText, Qt::white);
    return palette;
}

TEST(ToolbarImageTest, EveryNavigationImageHasItsFourValidLooks) {
    for (const char* name : {"add", "edit", "settings-gears-icon"}) {
        for (const char* suffix : {"", "_light", "_dark", "_red"}) {
            const QString path = QStringLiteral(":/images/%1%2.svg").arg(name, suffix);
            SCOPED_TRACE(path.toStdString());
            EXPECT_TRUE(QSvgRenderer(path).isValid());
        }
    }
    EXPECT_TRUE(QSvgRenderer(QStringLiteral(":/images/AppIcon.svg")).isValid());
}

// Switches the desktop's appearance to dark for as long as it lives.
struct DarkDesktop {
    DarkDesktop() : light(QApplication::palette()) { QApplication::setPalette(darkPalette()); }
    ~DarkDesktop() { QApplication::setPalette(light); }
    QPalette light;
};

TEST(ToolbarImageTest, LooksFollowSelectionAndAppearance) {
    ToolbarImageButton button(QStringLiteral("add"));
    EXPECT_DOUBLE_EQ(button.opacity(), 0.6);
    EXPECT_EQ(button.shownImage(), ":/images/add_light.svg");
    button.setSelected(true);
    EXPECT_EQ(button.shownImage(), ":/images/add_red.svg");
    WSToolbarButtonLabel label(QStringLiteral("Create"), nullptr);
    label.setOpacity(1.0);
    {
        DarkDesktop dark;
        EXPECT_EQ(button.shownImage(), ":/images/add_red.svg");
        button.setSelected(false);
        EXPECT_EQ(button.shownImage(), ":/images/add_dark.svg");
        EXPECT_EQ(label.currentTextColor(), label.darkModeTextColor);
    }
    EXPECT_EQ(button.shownImage(), ":/images/add_light.svg");
    EXPECT_EQ(label.currentTextColor(), label.lightModeTextColor);
    label.setSelected(true);
    EXPECT_EQ(label.currentTextColor(), label.selectedTextColor);
}

TEST(ToolbarImageTest, MissingDerivedAssetsLeaveTheNamedImage) {
    QTemporaryDir dir;
    const auto write = [&](const char* name) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4\" height=\"4\"/>");
    };
    write("only.svg");
    write("tint.svg");
    write("tint_red.svg");
    write("pair_light.svg");
    write("pair_dark.svg");
    const QString folder = dir.path() + u'/';
    const auto at = [&](const char* name) {
        return folder + QString::fromLatin1(name);
    };

    const struct {
        const char* asset;
        QString lightNormal, darkNormal, tint;
    } rows[] = {
        {"only", at("only.svg"), at("only.svg"), at("only.svg")},
        {"tint", at("tint.svg"), at("tint.svg"), at("tint_red.svg")},
        // Named by one of its looks: the others are found from the bare name.
        {"pair_light", at("pair_light.svg"), at("pair_dark.svg"), at("pair_light.svg")},
        {"pair_dark", at("pair_light.svg"), at("pair_dark.svg"), at("pair_dark.svg")},
        {"missing", QString(), QString(), QString()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.asset);
        ToolbarImageButton button(QString::fromLatin1(row.asset), nullptr, folder);
        EXPECT_EQ(button.lightModeNormalImage(), row.lightNormal);
        EXPECT_EQ(button.darkModeNormalImage(), row.darkNormal);
        EXPECT_EQ(button.lightModeTintImage(), row.tint);
        EXPECT_EQ(button.darkModeTintImage(), row.tint);
        button.grab(); // paints, with or without an image
    }
}

} // namespace
} // namespace dexaro::test
