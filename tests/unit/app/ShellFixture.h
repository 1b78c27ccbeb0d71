#pragma once
// A store and settings of their own for each test: the store file and
// $XDG_CONFIG_HOME / $XDG_DATA_HOME live in a temporary folder.
#include "model/AppSettings.h"
#include "model/WorkspaceStore.h"
#include "support/RecordingAlerts.h"
#include "support/ShellFakes.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace dexaro::test {

class ShellFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
        QString error;
        context = WorkspaceStore::openStore(dir.filePath(QStringLiteral("Dexaro.sqlite")), &error);
        ASSERT_TRUE(context) << error.toStdString();
        store = std::make_unique<WorkspaceStore>(*context, alerts);
        settings.forceTerminate = settings.createNewInstance = settings.hideApps =
            QStringLiteral("0");
        settings.runAtLogin = QStringLiteral("1");
    }
    void TearDown() override {
        store.reset();
        context.reset();
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_DATA_HOME");
    }

    QTemporaryDir dir;
    RecordingAlerts alerts;
    FakeLoginItem loginItem;
    std::unique_ptr<ObjectStore> context;
    std::unique_ptr<WorkspaceStore> store;
    AppSettings settings;
};

} // namespace dexaro::test
