// The menu entry and its icon, as installed.
#include "support/DesktopEntryCheck.h"
#include "support/QtPrinters.h"

#include <QSettings>
#include <QSvgRenderer>
#include <gtest/gtest.h>

namespace dexaro::test {
namespace {

const QString entry = QStringLiteral(DEXARO_SOURCE_DIR "/resources/dexaro.desktop");

TEST(DesktopEntryTest, PassesTheValidatorAndNamesAnIconThatIsShipped) {
    EXPECT_EQ(desktopEntryProblems(entry), QString());

    QSettings keys(entry, QSettings::IniFormat);
    keys.beginGroup(QStringLiteral("Desktop Entry"));
    const QString icon = keys.value(QStringLiteral("Icon")).toString();
    const QString iconFile =
        QStringLiteral(DEXARO_SOURCE_DIR "/resources/icons/hicolor/scalable/apps/") + icon +
        QStringLiteral(".svg");
    EXPECT_TRUE(QSvgRenderer(iconFile).isValid()) << iconFile.toStdString();
}

} // namespace
} // namespace dexaro::test
