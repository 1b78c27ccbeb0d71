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

// Each switch, the name its setting is stored under and the field it sets.
const struct SwitchRow {
    SettingsSwitch* (SettingsView::*button)() const;
    const char* storedName;
    QString AppSettings::*field;
} switchRows[] = {
    {&SettingsView::runningAtLaunchButton, "runWSAtLogin", &AppSettings::runAtLogin},
    {&SettingsView::terminateOption, "terminationStyle", &AppSettings::forceTerminate},
    {&SettingsView::appInstanceOption, "createinstance", &AppSettings::createNewInstance},
    {&SettingsView::hideAppsOption, "hideApps", &AppSettings::hideApps},
};

class SettingsViewTest : public ShellFixture {
protected:
    void SetUp() override {
        ShellFixture::SetUp();
        autostart = std::make_unique<XdgAutostartLoginItem>(
            QStringLiteral(DEXARO_BINARY_DIR "/libexec/dexaro/dexaro-launcher"));
    }
    std::unique_ptr<SettingsView> makeView(LoginItem* item = nullptr) {
        return std::make_unique<SettingsView>(settings, *store, item ? *item : *autostart, &alerts);
    }
    QString entryPath() const { return autostart->entryPath(LauncherBundleIdentifier); }

    std::unique_ptr<XdgAutostartLoginItem> autostart;
};

TEST_F(SettingsViewTest, EachSwitchIsStoredAndReflectedAtOnceAndSurvivesAReopen) {
    for (const SwitchRow& row : switchRows) {
        SCOPED_TRACE(row.storedName);
        // Start at login also writes and removes the autostart entry.
        const bool login = row.field == &AppSettings::runAtLogin;
        settings.*row.field = QStringLiteral("0");
        auto view = makeView();
        SettingsSwitch* button = ((*view).*row.button)();
        EXPECT_FALSE(button->isChecked());

        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_TRUE(button->isChecked());
        EXPECT_EQ(settings.*row.field, "1");
        EXPECT_EQ(store->readSetting(row.storedName), QStringLiteral("1"));
        EXPECT_EQ(QFileInfo::exists(entryPath()), login);

        // What was stored is what the next start reads.
        openStore();
        AppSettings reloaded;
        reloaded.*row.field = store->readSetting(row.storedName).value_or(QString());
        EXPECT_EQ(reloaded.*row.field, "1");
        auto next = std::make_unique<SettingsView>(reloaded, *store, *autostart, &alerts);
        EXPECT_TRUE(((*next).*row.button)()->isChecked());

        QTest::mouseClick(((*next).*row.button)(), Qt::LeftButton);
        EXPECT_EQ(reloaded.*row.field, "0");
        EXPECT_EQ(store->readSetting(row.storedName), QStringLiteral("0"));
        EXPECT_FALSE(QFileInfo::exists(entryPath()));
    }
    EXPECT_TRUE(alerts.shown.isEmpty());
}

TEST_F(SettingsViewTest, DamagedStoredValuesShowOffAndTheNextClickStoresAClean1) {
    const char* damaged[] = {"", "2", "01", "1 ", "yes", "-1", "true"};
    for (const char* value : damaged) {
        SCOPED_TRACE(value);
        store->writeSetting(QStringLiteral("hideApps"), QString::fromUtf8(value));
        settings.hideApps = QString::fromUtf8(value);
        auto view = makeView();
        EXPECT_FALSE(view->hideAppsOption()->isChecked());
        QTest::mouseClick(view->hideAppsOption(), Qt::LeftButton);
        EXPECT_EQ(settings.hideApps, "1");
        EXPECT_EQ(store->readSetting(QStringLiteral("hideApps")), QStringLiteral("1"));
    }
}

TEST_F(SettingsViewTest, ARefusedLoginItemIsReportedAndChangesNothing) {
    loginItem.refuse = true;
    store->writeSetting(QStringLiteral("runWSAtLogin"), QStringLiteral("1"));
    settings.runAtLogin = QStringLiteral("1");
    auto view = makeView(&loginItem);

    QTest::mouseClick(view->runningAtLaunchButton(), Qt::LeftButton);
    EXPECT_EQ(loginItem.calls.size(), 1);
    EXPECT_TRUE(view->runningAtLaunchButton()->isChecked());
    EXPECT_EQ(settings.runAtLogin, "1");
    EXPECT_EQ(store->readSetting(QStringLiteral("runWSAtLogin")), QStringLiteral("1"));
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_EQ(alerts.shown.first().title, "Dexaro settings");
    EXPECT_EQ(alerts.shown.first().informative, "autostart folder is read-only");
}

} // namespace
} // namespace dexaro::test
