// The about window's texts: the version line (only with a version), the link
// and the rights line's year.
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

TEST(AboutWindow, ShowsTheVersionAnOpenableLinkAndThisYearOrOnlyTheNameWithoutAVersion) {
    AboutWindow window;
    const QStringList texts = names(window);
    ASSERT_EQ(texts.size(), 6);
    EXPECT_EQ(texts[1], QStringLiteral("Version: " DEXARO_VERSION));
    EXPECT_TRUE(window.texts()[3]->openExternalLinks());
    EXPECT_TRUE(window.texts()[3]->text().contains(
        QStringLiteral("href=\"%1\"").arg(AboutWindow::webAddress)));
    EXPECT_TRUE(texts[4].contains(QString::number(QDate::currentDate().year())));
    EXPECT_EQ(names(AboutWindow{QString()}), QStringList{QStringLiteral("Dexaro")});
}

// Pictures of the about window, light and dark, for the documentation;
// written only when DEXARO_SCREENSHOT_DIR names a folder.
TEST(AboutWindowScreenshots, LightAndDark) {
    const QString folder = qEnvironmentVariable("DEXARO_SCREENSHOT_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "set DEXARO_SCREENSHOT_DIR to write the pictures";
    for (const bool dark : {false, true}) {
        std::optional<test::DesktopPalette> palette;
        if (dark)
            palette.emplace(test::darkDesktopPalette());
        AboutWindow window;
        window.show();
        EXPECT_TRUE(
            window.grab().save(QDir(folder).filePath(dark ? "about-dark.png" : "about-light.png")));
    }
}

} // namespace
