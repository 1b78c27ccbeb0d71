// What the Creator tells of a session's limits: the placement picker's line
// on windows that cannot be placed, and the command line to bind where the
// desktop lets no application take shortcuts.
#include "authoring/AppListCollectionView.h"
#include "support/FakeHotKeys.h"
#include "support/PositionCaches.h"

#include "AuthoringFixture.h"

#include <QLabel>
#include <QToolButton>

namespace dexaro::test {
namespace {

using SessionLimits = AuthoringFixture;

TEST_F(SessionLimits, TheCreatorShowsTheCommandToBindWhereNoShortcutCanBeTaken) {
    QLabel* notice = creator->shortcutNotice();
    creator->hide();
    creator->show();
    EXPECT_FALSE(notice->isVisible()) << "hot keys are there";

    hotKeys.available = false;
    creator->hide();
    creator->show();
    ASSERT_TRUE(notice->isVisible());
    EXPECT_TRUE(notice->text().endsWith("dexaro --toggle NAME"));
    const struct {
        QString typed, command;
    } rows[] = {
        {"Office", "dexaro --toggle 'Office'"},
        {"  Late shift ", "dexaro --toggle 'Late shift'"},
        {"Bob's desk", "dexaro --toggle 'Bob'\\''s desk'"},
    };
    for (const auto& row : rows) {
        creator->nameField()->setText(row.typed);
        EXPECT_TRUE(notice->text().endsWith(row.command)) << notice->text().toStdString();
    }
    EXPECT_FALSE(notice->accessibleName().isEmpty());
}

TEST(PlacementLimit, ThePickerShowsTheSessionsLimitAboveThePlacementsWhileThereIsOne) {
    PositionCaches caches;
    AppListCollectionView picker(PositionPopoverWindowType::create);
    picker.setPositionCaches(&caches.creator, nullptr);
    picker.setInstalledApps({{"Mail", "Mail", "file:///nonexistent/Mail.png"}});
    picker.setSelectedAppURLs({"Mail"});
    picker.resize(700, 500);
    picker.show();
    ASSERT_TRUE(waitUntil([&] { return picker.positioningButton("Mail") != nullptr; }));
    QString limit = "Dexaro cannot move windows in this Wayland session.";
    picker.positionsPopover()->setNotice([&] { return limit; });
    QLabel* notice = picker.positionsPopover()->noticeLabel();
    for (const QString& text : {limit, QString()}) {
        limit = text;
        QTest::mouseClick(picker.positioningButton("Mail"), Qt::LeftButton);
        ASSERT_TRUE(picker.positionsPopover()->isVisible());
        EXPECT_EQ(notice->isVisible(), !text.isEmpty());
        EXPECT_EQ(notice->text(), text);
        picker.positionsPopover()->hide();
    }
}

} // namespace
} // namespace dexaro::test
