// The settings screen: switches show the settings, clicks are stored and
// reflected at once, start at login drives the autostart entry.
#include "app/SettingsView.h"
#include "ShellFixture.h"
#include "app/AppIdentifiers.h"
#include "app/SettingsSwitch.h"
#include "platform/linux/XdgAutostartLoginItem.h"

#include <QFileInfo>
#include <QTest>

namespace dexaro::test {
namespace {

class SettingsViewTest : public ShellFixture {
protected:
    std::unique_ptr<SettingsView> makeView(AppSettings& shown, LoginItem& item) {
        return std::make_unique<SettingsView>(shown, *store, item, &alerts);
    }
    XdgAutostartLoginItem autostart{
        QStringLiteral(DEXARO_BINARY_DIR "/libexec/dexaro/dexaro-launcher")};
};

// Each switch starts from a damaged stored value, which shows off; its clicks
// store a clean "1", then "0".
TEST_F(SettingsViewTest, EachSwitchIsStoredUnderItsNameAndReflectedAtOnce) {
    const struct {
        SettingsSwitch* (SettingsView::*button)() const;
        const char* storedName;
        QString AppSettings::*field;
    } rows[] = {
        {&SettingsView::runningAtLaunchButton, "runWSAtLogin", &AppSettings::runAtLogin},
        {&SettingsView::terminateOption, "terminationStyle", &AppSettings::forceTerminate},
        {&SettingsView::appInstanceOption, "createinstance", &AppSettings::createNewInstance},
        {&SettingsView::hideAppsOption, "hideApps", &AppSettings::hideApps},
    };
    const QString entry = autostart.entryPath(LauncherBundleIdentifier);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.storedName);
        const bool login = row.field == &AppSettings::runAtLogin; // also writes the entry
        settings.*row.field = QStringLiteral("true");
        auto view = makeView(settings, autostart);
        SettingsSwitch* button = ((*view).*row.button)();
        for (const char* value : {"1", "0"}) {
            EXPECT_EQ(button->isChecked(), value[0] == '0');
            QTest::mouseClick(button, Qt::LeftButton);
            EXPECT_EQ(settings.*row.field, value);
            EXPECT_EQ(store->readSetting(row.storedName), QString::fromLatin1(value));
            EXPECT_EQ(QFileInfo::exists(entry), login && value[0] == '1');
        }
    }
    EXPECT_TRUE(alerts.shown.isEmpty());
}

TEST_F(SettingsViewTest, ARefusedLoginItemIsReportedAndChangesNothing) {
    loginItem.refuse = true;
    store->writeSetting(QStringLiteral("runWSAtLogin"), QStringLiteral("1"));
    settings.runAtLogin = QStringLiteral("1");
    auto view = makeView(settings, loginItem);
    QTest::mouseClick(view->runningAtLaunchButton(), Qt::LeftButton);
    EXPECT_TRUE(view->runningAtLaunchButton()->isChecked());
    EXPECT_EQ(settings.runAtLogin + store->readSetting(QStringLiteral("runWSAtLogin")).value_or(""),
              "11");
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_EQ(alerts.shown.first().informative, "autostart folder is read-only");
}

} // namespace
} // namespace dexaro::test
