// Pictures of the Creator and the Editor in the main window for the
// documentation: light and dark, at the window size Dexaro gives itself on a
// 1366 x 768 and on a 2560 x 1440 screen. Written only when
// DEXARO_SCREENSHOT_DIR names a folder (filter AuthoringScreenshots.*).
#include "AuthoringFixture.h"
#include "app/AppDelegate.h"
#include "app/CustomMainWindow.h"
#include "authoring/AppIconLoader.h"
#include "authoring/WSCreatorViewController.h"
#include "authoring/WSEditorViewController.h"
#include "authoring/WSTextField.h"
#include "model/AppSettings.h"
#include "shortcuts/MASShortcutView.h"
#include "support/DesktopPalette.h"
#include "support/ShellFakes.h"

#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QPainter>

namespace dexaro::test {
namespace {

class AuthoringScreenshots : public AuthoringFixture {
protected:
    // An application with a plain painted icon: a rounded square and a letter.
    void installWithIcon(const QString& name, const QColor& colour) {
        QImage icon(96, 96, QImage::Format_ARGB32_Premultiplied);
        icon.fill(Qt::transparent);
        {
            QPainter painter(&icon);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(colour);
            painter.drawRoundedRect(QRectF(6, 6, 84, 84), 20, 20);
            painter.setPen(Qt::white);
            QFont font = painter.font();
            font.setPixelSize(48);
            font.setBold(true);
            painter.setFont(font);
            painter.drawText(icon.rect(), Qt::AlignCenter, name.left(1));
        }
        const QString iconPath = apps.path(QStringLiteral("icons/%1.png").arg(name.toLower()));
        QDir().mkpath(QFileInfo(iconPath).absolutePath());
        ASSERT_TRUE(icon.save(iconPath));
        apps.app(entryPath(name), name, {QStringLiteral("Icon=") + iconPath});
        ++installedCount;
    }

    // The window once the tiles' icons, decoded on a pool as the tiles are
    // first painted, are in.
    static QPixmap settledPicture(QWidget& window, AppListCollectionView* grid) {
        window.grab();
        const AppIconLoader* loader = grid->findChild<AppIconLoader*>();
        EXPECT_TRUE(loader);
        EXPECT_TRUE(waitUntil([&] {
            for (const AppListModel& app : grid->installedApps())
                if (loader->isPending(app.appImagePath))
                    return false;
            return true;
        }));
        QCoreApplication::processEvents();
        return window.grab();
    }

    void writePictures(const QString& folder, const QString& suffix, const QRect& workArea) {
        tags = {QStringLiteral("statusbar"), QStringLiteral("editor")}; // as at start-up
        AppSettings settings;
        FakeLoginItem loginItem;
        CustomMainWindow window(settings, *store, loginItem);
        auto* creator = new WSCreatorViewController(context());
        auto* editor = new WSEditorViewController(context());
        window.setScreenViews(creator, editor);
        window.setGeometry(AppDelegate::mainWindowFrame(workArea, 24));
        window.show();
        const auto scanned = [&](auto* screen) {
            return waitUntil([&] {
                return !screen->scanner()->isScanning() &&
                       screen->collectionView()->installedApps().size() == installedCount;
            });
        };
        ASSERT_TRUE(scanned(creator));
        creator->nameField()->setText(QStringLiteral("Morning routine"));
        creator->collectionView()->setSelectedAppURLs({url("Mail"), url("Calendar"), url("Notes")});
        creator->shortcutView()->setShortcutValue(shortcut(46)); // M
        QCoreApplication::processEvents();
        ASSERT_TRUE(settledPicture(window, creator->collectionView())
                        .save(QDir(folder).filePath(QStringLiteral("creator%1.png").arg(suffix))));

        window.switchMainContent(CustomMainWindow::EditorView);
        ASSERT_TRUE(waitUntil([&] { return !editor->isLoadingList(); }));
        ASSERT_TRUE(scanned(editor));
        editor->popUpButton()->setCurrentIndex(2);
        editor->popUpWsButtonSelectionHandler(2);
        QCoreApplication::processEvents();
        ASSERT_TRUE(settledPicture(window, editor->collectionView())
                        .save(QDir(folder).filePath(QStringLiteral("editor%1.png").arg(suffix))));
    }
};

TEST_F(AuthoringScreenshots, LightAndDarkAtTwoScreenSizes) {
    const QString folder = qEnvironmentVariable("DEXARO_SCREENSHOT_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "set DEXARO_SCREENSHOT_DIR to write the pictures";
    for (const char* name : {"Alpha", "Beta", "Gamma"})
        uninstall(QString::fromLatin1(name));
    const struct {
        const char* name;
        QColor colour;
    } catalogue[] = {
        {"Browser", QColor(0x4c8df6)}, {"Calendar", QColor(0xf8444a)}, {"Mail", QColor(0x3cc46b)},
        {"Notes", QColor(0xf5b400)},   {"Terminal", QColor(0x30353e)}, {"Music", QColor(0xe0457b)},
        {"Files", QColor(0x6b7bd6)},   {"Editor", QColor(0x1aa39a)},   {"Photos", QColor(0xff8a3d)},
        {"Chat", QColor(0x8e5cd9)},    {"Clock", QColor(0x59636e)},    {"Maps", QColor(0x2fb36b)},
    };
    for (const auto& app : catalogue)
        installWithIcon(QString::fromLatin1(app.name), app.colour);
    seed(QStringLiteral("Writing"), {QStringLiteral("Editor"), QStringLiteral("Notes")});
    seed(QStringLiteral("Morning mail and calendar"),
         {QStringLiteral("Mail"), QStringLiteral("Calendar"), QStringLiteral("Browser")},
         shortcut(46), {{QStringLiteral("Team board"), QStringLiteral("board.example.org")}});
    seed(QStringLiteral("Development"), {QStringLiteral("Terminal"), QStringLiteral("Editor")});

    const QRect small(0, 24, 1366, 744);
    const QRect large(0, 32, 2560, 1408);
    writePictures(folder, QString(), small);
    writePictures(folder, QStringLiteral("-2560"), large);
    DesktopPalette dark(darkDesktopPalette());
    writePictures(folder, QStringLiteral("-dark"), small);
    writePictures(folder, QStringLiteral("-dark-2560"), large);
}

} // namespace
} // namespace dexaro::test
