// The shell's platform pieces that need no desktop: where the popover goes,
// the autostart entry.
// GIO first: its headers use "signals", which Qt defines as a keyword.
#include <gio/gdesktopappinfo.h>

#include "platform/Popover.h"
#include "platform/linux/XdgAutostartLoginItem.h"
#include "support/QtPrinters.h"
#include "support/Wait.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace dexaro;

TEST(PopoverPlacement, AnchorsToTheIconAndStaysInsideTheWorkArea) {
    const QSize size(385, 300);
    const QRect work(0, 30, 1440, 846); // panels: 30 at the top, 24 at the bottom
    struct Row {
        const char* name;
        QRect anchor;
        QRect workArea;
        QPoint expectedTopLeft;
    };
    const Row rows[] = {
        {"icon in a top panel: centred below it", QRect(700, 3, 24, 24), work, QPoint(519, 31)},
        {"icon in a bottom panel: above it", QRect(700, 879, 24, 24), work, QPoint(519, 575)},
        {"icon at the right edge: pushed left", QRect(1420, 3, 20, 24), work, QPoint(1055, 31)},
        {"icon at the left edge: pushed right", QRect(0, 3, 20, 24), work, QPoint(0, 31)},
        {"pointer low on the screen: above it", QRect(720, 600, 1, 1), work, QPoint(528, 296)},
        {"work area smaller than the popover: its corner wins", QRect(10, 10, 4, 4),
         QRect(0, 0, 200, 100), QPoint(0, 0)},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Popover::placement(size, row.anchor, row.workArea).topLeft(), row.expectedTopLeft)
            << row.name;
}

namespace {

// Starts a desktop entry as the desktop's autostart does (GIO parses its Exec
// line and runs it without a shell); answers GIO's error text, empty on success.
QString launchEntry(const QString& path) {
    GDesktopAppInfo* info = g_desktop_app_info_new_from_filename(path.toUtf8().constData());
    if (!info)
        return QStringLiteral("GIO cannot read the entry");
    GError* error = nullptr;
    const bool launched = g_app_info_launch(G_APP_INFO(info), nullptr, nullptr, &error);
    QString text = launched ? QString() : QString::fromUtf8(error ? error->message : "failed");
    if (error)
        g_error_free(error);
    g_object_unref(info);
    return text;
}

} // namespace

TEST(XdgAutostartLoginItem, EntryStartsTheLauncherWhateverItsPathHolds) {
    const char* names[] = {"dexaro-launcher", "with space", "quote\"dollar$tick`back\\slash",
                           "semi;amp&pipe|", "it's"};
    for (const char* name : names) {
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
        const QString launcher = dir.filePath(QString::fromUtf8(name) + "/bin-dir/dexaro-launcher");
        ASSERT_TRUE(QDir().mkpath(QFileInfo(launcher).absolutePath()));
        QFile program(launcher);
        ASSERT_TRUE(program.open(QIODevice::WriteOnly));
        // The stand-in launcher leaves a mark beside itself when it runs.
        program.write("#!/bin/sh\nexec touch \"$0.ran\"\n");
        program.close();
        program.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        XdgAutostartLoginItem item(launcher);
        const QString id = QStringLiteral("org.dexaro.Dexarolauncher");
        QString error;
        ASSERT_TRUE(item.setEnabled(id, true, &error)) << name << ": " << error.toStdString();
        EXPECT_TRUE(item.isEnabled(id)) << name;
        EXPECT_EQ(launchEntry(item.entryPath(id)), QString()) << name;
        EXPECT_TRUE(test::waitUntil([&] { return QFile::exists(launcher + ".ran"); }))
            << name << ": the entry did not start the launcher";

        ASSERT_TRUE(item.setEnabled(id, false, &error)) << name;
        EXPECT_FALSE(QFile::exists(item.entryPath(id))) << name;
    }
}

// The program's path is what the login entry is derived from: an installed
// Dexaro's entry must start the installed launcher, a build's its own.
TEST(XdgAutostartLoginItem, EntryStartsTheLauncherOfTheSamePrefix) {
    const struct {
        const char* program;
        const char* launcher;
    } rows[] = {
        {"/usr/bin/dexaro", "/usr/libexec/dexaro/dexaro-launcher"},
        {"/opt/dexaro/bin/../bin/dexaro", "/opt/dexaro/libexec/dexaro/dexaro-launcher"},
    };
    for (const auto& row : rows) {
        const QString launcher =
            XdgAutostartLoginItem::launcherPathFor(QString::fromUtf8(row.program));
        EXPECT_EQ(launcher, QString::fromUtf8(row.launcher)) << row.program;
        const QByteArray text = XdgAutostartLoginItem::entryText(launcher);
        EXPECT_TRUE(text.contains("\nExec=" + QByteArray(row.launcher) + "\n")) << text.constData();
    }
}

TEST(XdgAutostartLoginItem, AnUnwritableFolderIsReported) {
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    QFile blocker(dir.filePath(QStringLiteral("autostart"))); // a file where the folder goes
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    XdgAutostartLoginItem item(QStringLiteral("/usr/libexec/dexaro/dexaro-launcher"));
    QString error;
    EXPECT_FALSE(item.setEnabled(QStringLiteral("x"), true, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(item.isEnabled(QStringLiteral("x")));
}
