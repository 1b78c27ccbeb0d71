// Navigation images: every look is there, the shown one follows selection and
// appearance, and the derived looks fall back to the named image when an asset
// is missing.
#include "app/ToolbarImageButton.h"
#include "support/DesktopPalette.h"
#include "support/QtPrinters.h"

#include <QFile>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace dexaro::test {
namespace {

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

TEST(ToolbarImageTest, TheShownLookFollowsSelectionAndAppearance) {
    ToolbarImageButton button(QStringLiteral("add"));
    EXPECT_EQ(button.shownImage(), ":/images/add_light.svg");
    button.setSelected(true);
    EXPECT_EQ(button.shownImage(), ":/images/add_red.svg");
    {
        DesktopPalette dark(QColor(0x20, 0x22, 0x28));
        EXPECT_EQ(button.shownImage(), ":/images/add_red.svg");
        button.setSelected(false);
        EXPECT_EQ(button.shownImage(), ":/images/add_dark.svg");
    }
    EXPECT_EQ(button.shownImage(), ":/images/add_light.svg");
}

TEST(ToolbarImageTest, MissingDerivedAssetsLeaveTheNamedImage) {
    QTemporaryDir dir;
    const auto write = [&](const char* name) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4\" height=\"4\"/>");
    };
    for (const char* name :
         {"only.svg", "tint.svg", "tint_red.svg", "pair_light.svg", "pair_dark.svg"})
        write(name);
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
