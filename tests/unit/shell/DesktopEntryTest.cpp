// The menu entry and its icon, as installed.
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <gtest/gtest.h>

namespace dexaro::test {
namespace {

const QString entry = QStringLiteral(DEXARO_SOURCE_DIR "/resources/dexaro.desktop");

TEST(DesktopEntryTest, PassesTheValidatorAndNamesAnIconThatIsShipped) {
    const QString validator =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    ASSERT_FALSE(validator.isEmpty()) << "desktop-file-validate (desktop-file-utils) is missing";
    QProcess validate;
    validate.start(validator, {entry});
    ASSERT_TRUE(validate.waitForFinished(10000));
    EXPECT_EQ(validate.exitCode(), 0) << validate.readAllStandardOutput().toStdString();

    QSettings keys(entry, QSettings::IniFormat);
    keys.beginGroup(QStringLiteral("Desktop Entry"));
    EXPECT_EQ(keys.value(QStringLiteral("Exec")).toString(), "dexaro");
    const QString icon = keys.value(QStringLiteral("Icon")).toString();
    EXPECT_EQ(icon, "org.dexaro.Dexaro");
    const QString iconFile =
        QStringLiteral(DEXARO_SOURCE_DIR "/resources/icons/hicolor/scalable/apps/") + icon +
        QStringLiteral(".svg");
    EXPECT_TRUE(QSvgRenderer(iconFile).isValid()) << iconFile.toStdString();
}

} // namespace
} // namespace dexaro::test
