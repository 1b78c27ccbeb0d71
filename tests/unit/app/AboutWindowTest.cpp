// The about window's texts that depend on the build and the date: the version
// line (only with a version), the link and the rights line's year.
#include "app/AboutWindow.h"

#include <QDate>
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
    EXPECT_TRUE(texts[4].contains(QString::number(QDate::currentDate().year())));
    EXPECT_EQ(names(AboutWindow{QString()}), QStringList{QStringLiteral("Dexaro")});
}

} // namespace
