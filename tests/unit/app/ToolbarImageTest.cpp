// Navigation images: every look is shipped, and a missing derived look falls
// back to the named image.
#include "app/ToolbarImageButton.h"
#include "support/QtPrinters.h"

#include <QFile>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace dexaro::test {
namespace {

TEST(ToolbarImageTest, EveryNavigationImageHasItsFourValidLooks) {
    for (const char* name : {"add", "edit", "settings-gears-icon"})
        for (const char* suffix : {"", "_light", "_dark", "_red"}) {
            const QString path = QStringLiteral(":/images/%1%2.svg").arg(name, suffix);
            EXPECT_TRUE(QSvgRenderer(path).isValid()) << path.toStdString();
        }
}

TEST(ToolbarImageTest, MissingDerivedAssetsLeaveTheNamedImage) {
    QTemporaryDir dir;
    for (const char* name :
         {"only.svg", "tint.svg", "tint_red.svg", "pair_light.svg", "pair_dark.svg"}) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4\" height=\"4\"/>");
    }
    const QString folder = dir.path() + u'/';
    const auto at = [&](const char* name) {
        return name ? folder + name : QString();
    };
    const struct {
        const char* asset;
        const char *lightNormal, *darkNormal, *tint;
    } rows[] = {
        {"only", "only.svg", "only.svg", "only.svg"},
        {"tint", "tint.svg", "tint.svg", "tint_red.svg"},
        // Named by one of its looks: the others are found from the bare name.
        {"pair_light", "pair_light.svg", "pair_dark.svg", "pair_light.svg"},
        {"pair_dark", "pair_light.svg", "pair_dark.svg", "pair_dark.svg"},
        {"missing", nullptr, nullptr, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.asset);
        ToolbarImageButton button(QString::fromLatin1(row.asset), nullptr, folder);
        EXPECT_EQ(button.lightModeNormalImage(), at(row.lightNormal));
        EXPECT_EQ(button.darkModeNormalImage(), at(row.darkNormal));
        EXPECT_EQ(button.lightModeTintImage(), at(row.tint));
        EXPECT_EQ(button.darkModeTintImage(), at(row.tint));
        button.grab(); // paints, with or without an image
    }
}

} // namespace
} // namespace dexaro::test
