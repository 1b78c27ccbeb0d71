// The about window's texts: the version line (only with a version), the link,
// the rights line's year, and the logo for each appearance.
#include "app/AboutWindow.h"
#include "support/DesktopPalette.h"

#include <QDate>
#include <QDir>
#include <QLabel>
#include <gtest/gtest.h>

using namespace dexaro;

namespace {

QStringList names(const AboutWindow& window) {
    QStringList texts;
    for (const QLabel* label : window.texts())
        texts.append(label->accessibleName());
    return texts;
}

TEST(AboutWindow, ShowsTheProjectVersionTheLinkAndTheCurrentYear) {
    AboutWindow window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Dexaro"));
    const QStringList texts = names(window);
    ASSERT_EQ(texts.size(), 6);
    EXPECT_EQ(texts[0], QStringLiteral("Dexaro"));
    EXPECT_EQ(texts[1], QStringLiteral("Version: " DEXARO_VERSION));
    EXPECT_FALSE(QStringLiteral(DEXARO_VERSION).isEmpty());
    EXPECT_EQ(texts[3], AboutWindow::webAddress);
    EXPECT_TRUE(window.texts()[3]->openExternalLinks());
    EXPECT_TRUE(window.texts()[3]->text().contains(
        QStringLiteral("href=\"%1\"").arg(AboutWindow::webAddress)));
    EXPECT_TRUE(texts[4].contains(QString::number(QDate::currentDate().year())));
}

TEST(AboutWindow, WithoutAVersionShowsOnlyTheLogoAndTheName) {
    AboutWindow window{QString()};
    EXPECT_EQ(names(window), QStringList{QStringLiteral("Dexaro")});
    EXPECT_TRUE(window.logo());
}

TEST(AboutWindow, TheLogoFollowsTheAppearance) {
    AboutWindow window;
    const struct {
        QColor window;
        const char* shown;
    } rows[] = {
        {QColor(0xF0, 0xF0, 0xF0), ":/images/logo.svg"},
        {QColor(0x20, 0x20, 0x20), ":/images/logo-dark.svg"},
    };
    for (const auto& row : rows) {
        test::DesktopPalette palette(row.window);
        EXPECT_EQ(window.logo()->shownImage(), QString::fromLatin1(row.shown));
    }
}

// Pictures of the about window, light and dark, for the documentation;
// written only when DEXARO_SCREENSHOT_DIR names a folder.
TEST(AboutWindowScreenshots, LightAndDark) {
    const QString folder = qEnvironmentVariable("DEXARO_SCREENSHOT_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "set DEXARO_SCREENSHOT_DIR to write the pictures";
    const auto write = [&](const QString& name) {
        AboutWindow window;
        window.show();
        ASSERT_TRUE(window.grab().save(QDir(folder).filePath(name)));
    };
    write(QStringLiteral("about-light.png"));
    test::DesktopPalette dark(test::darkDesktopPalette());
    write(QStringLiteral("about-dark.png"));
}

} // namespace
