// Installing Dexaro's GNOME Shell extension into an extensions folder: what is
// written, what is replaced and what is refused.
#include "platform/linux/GnomeShellExtension.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace dexaro::test {
namespace {

using gnomeshell::extensionUuid;

QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

class ExtensionInstall : public testing::Test {
protected:
    QString target() const { return folder.path() + QLatin1Char('/') + extensionUuid; }
    QString shipped(const QString& name) const {
        return read(QStringLiteral(":/gnome-shell/") + extensionUuid + QLatin1Char('/') + name);
    }
    QTemporaryDir folder;
};

TEST_F(ExtensionInstall, WritesTheShippedFilesAndReplacesAnyOtherCopyButLeavesTheSameAlone) {
    ASSERT_GT(gnomeshell::shippedVersion(), 0);
    const QString metadata = QStringLiteral("/metadata.json");
    const QString script = QStringLiteral("/extension.js");
    struct Row {
        const char* what;
        std::function<void(const QString& target)> before;
        bool changed;
        const char* saying; // a part of the message
    };
    const Row rows[] = {
        {"nothing there", [](const QString&) {}, true, "was installed"},
        {"the same copy", [](const QString&) {}, false, "installed already"},
        {"an older version",
         [&](const QString& t) {
             write(t + metadata, R"({"uuid": "windows@dexaro.org", "version": 0})");
             write(t + QStringLiteral("/stale.js"), "old");
         },
         true, "updated from version 0"},
        {"a damaged script", [&](const QString& t) { write(t + script, "broken("); }, true,
         "was installed"},
        {"a file in the folder's place",
         [&](const QString& t) {
             QDir(t).removeRecursively();
             write(t, "not a folder");
         },
         true, "was installed"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        row.before(target());
        const gnomeshell::InstallResult result = gnomeshell::install(folder.path());
        EXPECT_TRUE(result.ok) << qPrintable(result.message);
        EXPECT_EQ(result.changed, row.changed);
        EXPECT_TRUE(result.message.contains(QLatin1String(row.saying)))
            << qPrintable(result.message);
        if (row.changed) {
            EXPECT_TRUE(result.message.contains(QLatin1String("log out and in")));
        }
        EXPECT_EQ(read(target() + metadata), shipped(QStringLiteral("metadata.json")));
        EXPECT_EQ(read(target() + script), shipped(QStringLiteral("extension.js")));
        // Nothing of an older copy or of the work on the way is left.
        EXPECT_FALSE(QFileInfo::exists(target() + QStringLiteral("/stale.js")));
        EXPECT_EQ(
            QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{extensionUuid});
    }
}

TEST_F(ExtensionInstall, ALinkInTheExtensionsPlaceIsRefusedAndLeftAsItWas) {
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QFile::link(elsewhere.path(), target()));
    const gnomeshell::InstallResult result = gnomeshell::install(folder.path());
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.message.contains(QLatin1String("is a link"))) << qPrintable(result.message);
    EXPECT_TRUE(QFileInfo(target()).isSymLink());
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
}

} // namespace
} // namespace dexaro::test
