// Pictures of the popover for the documentation, with rows off, busy and on,
// in the light and the dark palette. Written only when DEXARO_SCREENSHOT_DIR
// names a folder (for example DEXARO_SCREENSHOT_DIR=docs, filter
// PopoverScreenshots.*).
#include "PopoverFixture.h"
#include "activation/ActivationPulse.h"
#include "activation/BusySpinner.h"
#include "activation/CustomNSPopoverView.h"
#include "activation/StatusBarItemViewController.h"
#include "support/DesktopPalette.h"

#include <QApplication>
#include <QDir>
#include <QPalette>
#include <QPixmap>
#include <QScrollArea>

using namespace dexaro;
using namespace dexaro::test;

namespace {

void writePicture(const QString& folder, const QString& name) {
    StatusBarItemViewController controller;
    CustomNSPopoverView* root = controller.view();
    root->setFixedSize(StatusBarItemViewController::viewWidth, 300);
    controller.scrollView()->resize(controller.scrollView()->width(), 300 - 2);
    StatusBarPopoverCollectionView* list = controller.wsListCollectionView();
    list->wsList = {workspace(QStringLiteral("1"), QStringLiteral("Writing"), {}),
                    workspace(QStringLiteral("2"), QStringLiteral("Morning mail and calendar"), {}),
                    workspace(QStringLiteral("3"), QStringLiteral("Development"), {}),
                    workspace(QStringLiteral("4"),
                              QStringLiteral("Research: papers, notes and the reference manager"),
                              {}),
                    workspace(QStringLiteral("5"), QStringLiteral("Evening"), {})};
    list->records().setState(QStringLiteral("2"), ItemStateEnum::runningApp);
    list->records().setState(QStringLiteral("3"), ItemStateEnum::active);
    list->records().setState(QStringLiteral("4"), ItemStateEnum::active);
    list->reloadData();
    root->show();
    QCoreApplication::processEvents();
    // Freeze the animations at telling moments.
    list->itemForWorkspace(QStringLiteral("2"))
        ->spinnerIndicator()
        ->animation()
        .setCurrentProgress(0.3);
    for (const char* id : {"3", "4"}) {
        list->itemForWorkspace(QString::fromLatin1(id))
            ->wsActivationIndicatorAnimationView()
            ->animation()
            .setCurrentProgress(0.45);
    }
    const QPixmap picture = root->grab();
    ASSERT_TRUE(picture.save(QDir(folder).filePath(name)));
    root->hide();
}

TEST(PopoverScreenshots, LightAndDark) {
    const QString folder = qEnvironmentVariable("DEXARO_SCREENSHOT_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "set DEXARO_SCREENSHOT_DIR to write the pictures";
    const QPalette original = QApplication::palette();
    writePicture(folder, QStringLiteral("popover-light.png"));
    QApplication::setPalette(darkDesktopPalette());
    writePicture(folder, QStringLiteral("popover-dark.png"));
    QApplication::setPalette(original);
}

} // namespace
