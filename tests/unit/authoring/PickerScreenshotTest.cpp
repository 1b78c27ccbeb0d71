// Pictures of the application picker for the documentation, in the light and
// the dark palette: two picked tiles (one with a placement), one without an
// icon, the busy spinner off. Written only when DEXARO_SCREENSHOT_DIR names a
// folder (filter PickerScreenshots.*).
#include "authoring/AppListCollectionView.h"
#include "authoring/AppListItemDelegate.h"

#include <QApplication>
#include <QDir>
#include <QListView>
#include <QPixmap>
#include <gtest/gtest.h>

#include "support/AppLists.h"
#include "support/DesktopPalette.h"
#include "support/PositionCaches.h"
#include "support/Wait.h"

using namespace dexaro;

namespace {

void writePicture(const QString& folder, const QString& name) {
    test::PositionCaches caches;
    AppListCollectionView picker(PositionPopoverWindowType::create);
    picker.setPositionCaches(&caches.creator, nullptr);
    const QStringList icons = {"qrc:/images/AppIcon.svg",
                               "qrc:/positions/left-half.svg",
                               "qrc:/images/settings-gears-icon.svg",
                               "qrc:/positions/top-right.svg",
                               "qrc:/images/add.svg",
                               "qrc:/positions/center-full.svg",
                               "qrc:/images/edit.svg",
                               "",
                               "qrc:/images/logo.svg"};
    const QStringList names = {"Text Editor",
                               "Mail",
                               "Settings",
                               "Terminal",
                               "Calculator",
                               "Calendar",
                               "Image Viewer with a long name",
                               "No Icon",
                               "Dexaro"};
    QList<AppListModel> apps;
    for (int i = 0; i < names.size(); ++i)
        apps.append(test::appNamed(names[i], icons[i]));
    caches.creator.setPosition(apps[1].appURL, rawValue(PositionName::leftHalf));
    picker.setInstalledApps(apps);
    picker.setSelectedAppURLs({apps[1].appURL, apps[4].appURL});
    picker.resize(620, 360);
    picker.show();
    auto* delegate = qobject_cast<AppListItemDelegate*>(picker.gridView()->itemDelegate());
    picker.grab(); // asks for the icons
    ASSERT_TRUE(test::waitUntil([&] {
        for (const QString& icon : icons) {
            if (!icon.isEmpty() && !delegate->cachedIcon(icon))
                return false;
        }
        return true;
    }));
    ASSERT_TRUE(picker.grab().save(QDir(folder).filePath(name)));
}

TEST(PickerScreenshots, LightAndDark) {
    const QString folder = qEnvironmentVariable("DEXARO_SCREENSHOT_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "set DEXARO_SCREENSHOT_DIR to write the pictures";
    writePicture(folder, QStringLiteral("app-picker-light.png"));
    test::DesktopPalette dark(test::darkDesktopPalette());
    writePicture(folder, QStringLiteral("app-picker-dark.png"));
}

} // namespace
