// The settings screen: switches show the settings, clicks are stored and
// reflected at once, start at login drives the autostart entry.
#include "app/SettingsView.h"
#include "ShellFixture.h"
#include "app/AppIdentifiers.h"
#include "app/SettingsSwitch.h"
#include "platform/linux/XdgAutostartLoginItem.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

namespace dexaro::test {
namespace {

struct SwitchRow {
    const char* name;
    SettingsSwitch* (SettingsView::*button)() const;
    const char* title;
    const char* storedName;
    QString AppSettings::*field;
};

const SwitchRow switchRows[] = {
    {"startAtLogin", &SettingsView::runningAtLaunchButton, "Start Dexaro at login automatically",
     "runWSAtLogin", &AppSettings::runAtLogin},
    {"forceTerminate", &SettingsView::terminateOption,
     "Force terminate (system will close workspace's apps immediately and unsaved data can be "
     "lost)",
     "terminationStyle", &AppSettings::forceTerminate},
    {"newInstance", &SettingsView::appInstanceOption,
     "Attempt to create new instance of app even if one is running (some apps allow to create "
     "only one instance)",
     "createinstance", &AppSettings::createNewInstance},
    {"hideApps", &SettingsView::hideAppsOption, "Hide launched apps", "hideApps",
     &AppSettings::hideApps},
};

class SettingsViewTest : public ShellFixture {
protected:
    void SetUp() override {
        ShellFixture::SetUp();
        loginItem = std::make_unique<XdgAutostartLoginItem>(
            QStringLiteral(DEXARO_BINARY_DIR "/libexec/dexaro/dexaro-launcher"));
    }
    std::unique_ptr<SettingsView> makeView(LoginItem* item = nullptr) {
        return std::make_unique<SettingsView>(settings, *store, item ? *item : *loginItem, &alerts);
    }
    QString entryPath() const { return loginItem->entryPath(LauncherBundleIdentifier); }

    std::unique_ptr<XdgAutostartLoginItem> loginItem;
};

TEST_F(SettingsViewTest, EachSwitchIsStoredAndReflectedAtOnceAndSurvivesAReopen) {
    for (const SwitchRow& row : switchRows) {
        SCOPED_TRACE(row.name);
        settings.*row.field = QStringLiteral("0");
        auto view = makeView();
        SettingsSwitch* button = ((*view).*row.button)();
        EXPECT_EQ(button->text(), QString::fromUtf8(row.title));
        EXPECT_FALSE(button->isChecked());

        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_TRUE(button->isChecked());
        EXPECT_EQ(settings.*row.field, "1");
        EXPECT_EQ(store->readSetting(row.storedName), QStringLiteral("1"));

        // What was stored is what the next start reads.
        openStore();
        AppSettings reloaded;
        reloaded.*row.field = store->readSetting(row.storedName).value_or(QString());
        EXPECT_EQ(reloaded.*row.field, "1");
        auto next = std::make_unique<SettingsView>(reloaded, *store, *loginItem, &alerts);
        EXPECT_TRUE(((*next).*row.button)()->isChecked());

        QTest::mouseClick(((*next).*row.button)(), Qt::LeftButton);
        EXPECT_EQ(reloaded.*row.field, "0");
        EXPECT_EQ(store->readSetting(row.storedName), QStringLiteral("0"));
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

TEST_F(SettingsViewTest, StartAtLoginWritesAValidAutostartEntryAndRemovesIt) {
    settings.runAtLogin = QStringLiteral("0");
    auto view = makeView();
    ASSERT_FALSE(QFileInfo::exists(entryPath()));

    QTest::mouseClick(view->runningAtLaunchButton(), Qt::LeftButton);
    ASSERT_TRUE(QFileInfo::exists(entryPath()));
    EXPECT_EQ(store->readSetting(QStringLiteral("runWSAtLogin")), QStringLiteral("1"));
    EXPECT_EQ(settings.runAtLogin, "1");

    const QString validator =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (!validator.isEmpty()) {
        QProcess validate;
        validate.start(validator, {entryPath()});
        ASSERT_TRUE(validate.waitForFinished(10000));
        EXPECT_EQ(validate.exitCode(), 0) << validate.readAllStandardOutput().toStdString();
    }
    QFile entry(entryPath());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(entry.readAll().contains("/libexec/dexaro/dexaro-launcher"));
    entry.close();

    QTest::mouseClick(view->runningAtLaunchButton(), Qt::LeftButton);
    EXPECT_FALSE(QFileInfo::exists(entryPath()));
    EXPECT_EQ(store->readSetting(QStringLiteral("runWSAtLogin")), QStringLiteral("0"));
    EXPECT_EQ(settings.runAtLogin, "0");
    EXPECT_TRUE(alerts.shown.isEmpty());
}

TEST_F(SettingsViewTest, ARefusedLoginItemIsReportedAndChangesNothing) {
    RefusingLoginItem refusing;
    store->writeSetting(QStringLiteral("runWSAtLogin"), QStringLiteral("1"));
    settings.runAtLogin = QStringLiteral("1");
    auto view = makeView(&refusing);

    QTest::mouseClick(view->runningAtLaunchButton(), Qt::LeftButton);
    EXPECT_EQ(refusing.calls, 1);
    EXPECT_TRUE(view->runningAtLaunchButton()->isChecked());
    EXPECT_EQ(settings.runAtLogin, "1");
    EXPECT_EQ(store->readSetting(QStringLiteral("runWSAtLogin")), QStringLiteral("1"));
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_EQ(alerts.shown.first().title, "Dexaro settings");
    EXPECT_EQ(alerts.shown.first().informative, "autostart folder is read-only");
}

} // namespace
} // namespace dexaro::test
