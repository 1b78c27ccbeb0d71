// The popover's list and its controller over a WorkspaceActivation: the list
// read from the store when marked, rows drawn from the activation's states
// (also rows made or reused later), and a switch's click passed to it. Its
// speed with 1,000 workspaces is bench/popover_list's, its wake-ups while
// closed bench/activation's.
#include "ActivationFixture.h"
#include "activation/AnimatedSwitch.h"
#include "activation/CustomNSPopoverView.h"
#include "model/WorkspaceStore.h"
#include "support/DesktopPalette.h"
#include "support/Wait.h"

#include <QAccessible>
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>

using namespace dexaro;
using namespace dexaro::test;

namespace {

QList<WSListModelPtr> manyWorkspaces(int count) {
    QList<WSListModelPtr> list;
    for (int i = 0; i < count; ++i)
        list.append(workspace(QString::number(1000 + i), QStringLiteral("Workspace %1").arg(i),
                              {QStringLiteral("Mail")}));
    return list;
}

TEST(PopoverController, ReadsTheStoreWhenMarkedAndOnReloadKeepingStatesByWorkspace) {
    QTemporaryDir dir;
    auto context =
        WorkspaceStore::openStore(dir.filePath(QStringLiteral("Dexaro.sqlite")), nullptr);
    ASSERT_TRUE(context);
    RecordingAlerts storeAlerts;
    WorkspaceStore store(*context, storeAlerts);
    const auto create = [&](const QString& name) {
        const QString id =
            store.fillWorkspace(store.insertWorkspace(), {name, {entry(name)}, {}, {}});
        EXPECT_TRUE(context->save());
        return id;
    };
    const QString mail = create(QStringLiteral("Mail"));
    create(QStringLiteral("Notes"));
    Activation a([&](ActivationServices& s) { s.store = &store; });
    bool marked = true;
    StatusBarItemViewController controller(*a.activation);
    controller.appDelegate.consumeWorkspaceListUpdate = [&](const QString&) {
        return std::exchange(marked, false);
    };
    controller.view();
    ASSERT_EQ(a.activation->workspaces().size(), 2);
    a.toggle(mail);
    // Opening the popover again without a mark keeps the list as it is.
    create(QStringLiteral("Calendar"));
    controller.viewDidAppear();
    EXPECT_EQ(a.activation->workspaces().size(), 2);

    controller.reloadWSListCollectionView();
    ASSERT_EQ(a.activation->workspaces().size(), 3);
    EXPECT_TRUE(
        controller.wsListCollectionView()->itemForWorkspace(mail)->wsLauncherToggle()->isChecked());
}

TEST(PopoverList, RowsShowTheActivationsStatesAndPassClicksOn) {
    Activation a;
    a.activation->setWorkspaces(manyWorkspaces(50));
    const QString last = QStringLiteral("1049"), first = QStringLiteral("1000");
    ASSERT_EQ(a.row(last), nullptr) << "out of view";

    // Switched on while its row did not exist (by its hot key, say).
    a.activation->toggleWorkspace(last);
    a.settle();
    ASSERT_EQ(a.activation->itemState(last), ItemStateEnum::active);

    // Scrolled into view, a reused row shows that workspace and its state.
    a.popover().view()->show();
    QScrollBar* scroll = a.popover().scrollView()->verticalScrollBar();
    scroll->setValue(scroll->maximum());
    QCoreApplication::processEvents();
    StatusBarPopoverCollectionViewItem* row = a.row(last);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->wsNameLabel()->text(), QStringLiteral("Workspace 49"));
    // The switch is a checkable control named after its workspace.
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(row->wsLauncherToggle());
    ASSERT_TRUE(access);
    EXPECT_EQ(std::tuple(access->role(), access->text(QAccessible::Name), access->state().checked),
              std::tuple(QAccessible::CheckBox, QStringLiteral("Workspace 49"), true));

    // A click switches it off through the activation, and the row follows.
    a.closes = 0;
    row->wsLauncherToggle()->click();
    a.settle();
    EXPECT_EQ(a.activation->itemState(last), ItemStateEnum::inactive);
    EXPECT_FALSE(row->wsLauncherToggle()->isChecked());
    EXPECT_EQ(a.closes, 1) << "switching off closes the popover";

    // A click switching on keeps the popover open; the list changing draws again.
    scroll->setValue(0);
    QCoreApplication::processEvents();
    ASSERT_NE(a.row(first), nullptr);
    a.row(first)->wsLauncherToggle()->click();
    a.settle();
    EXPECT_EQ(a.activation->itemState(first), ItemStateEnum::active);
    EXPECT_EQ(a.closes, 1);
    a.activation->setWorkspaces(manyWorkspaces(1));
    EXPECT_EQ(a.list()->visibleItems().size(), 1);
    EXPECT_TRUE(a.row(first)->wsLauncherToggle()->isChecked());
}

// A name too long for its row ends with "…" where it is cut; the switch
// still carries the whole name for a screen reader.
TEST(PopoverList, ANameTooLongForItsRowEndsWithAnEllipsis) {
    Activation a;
    const QString word = QString(40, u'W');
    const QString words = QStringLiteral("Morning mail calendar notes and everything else after");
    a.activation->setWorkspaces({workspace("1", word, {}), workspace("2", words, {})});
    for (const QString& id : {QStringLiteral("1"), QStringLiteral("2")}) {
        StatusBarPopoverCollectionViewItem* row = a.row(id);
        ASSERT_TRUE(row);
        const QString shown = row->wsNameLabel()->text();
        EXPECT_TRUE(shown.endsWith(u'\u2026')) << shown.toStdString();
        const QFontMetrics metrics(row->wsNameLabel()->font());
        for (const QString& line : shown.split(u'\n'))
            EXPECT_LE(metrics.horizontalAdvance(line), row->wsNameLabel()->width());
        EXPECT_EQ(row->wsLauncherToggle()->accessibleName(), id == "1" ? word : words);
    }
}

// A row's height comes from laying its name out at the row's width; most
// names are told one line without a layout, which must not change a height.
TEST(PopoverList, RowHeightsAreThoseOfTheNamesLaidOut) {
    QFont font = QApplication::font();
    font.setPixelSize(20);
    font.setWeight(QFont::Light);
    const QFontMetricsF metrics(font);
    const QStringList names = {
        QString(),
        QStringLiteral("Mail"),
        QStringLiteral("Morning mail calendar notes and everything else after"),
        QString(40, u'W'),
        QString(13, u'W'),
        QStringLiteral("Почта и календарь на утро и всё остальное"),
        QStringLiteral("Two\nlines"),
        QStringLiteral("بريد الصباح والتقويم والملاحظات وكل شيء آخر"),
        QStringLiteral("朝のメールとカレンダーとメモとそのほかすべてのこと"),
        QStringLiteral("Emoji \U0001F600\U0001F600\U0001F600"),
    };
    for (const QString& name : names) {
        const qreal laidOut =
            metrics
                .boundingRect(QRectF(0, 0, StatusBarPopoverCollectionView::rowWidth, 1e6),
                              Qt::TextWordWrap, name)
                .height();
        const int expected = (laidOut < 40 ? 30 : int(laidOut)) + 8;
        EXPECT_EQ(StatusBarPopoverCollectionView::rowSize(name).height(), expected)
            << name.toStdString();
    }
}

// A first start: no workspace yet. The popover says so and offers the
// Creator, readable in both appearances and by a screen reader; the first
// workspace replaces it with the list.
TEST(PopoverList, WithNoWorkspaceItSaysSoAndOffersTheCreator) {
    for (const bool dark : {false, true}) {
        SCOPED_TRACE(dark ? "dark" : "light");
        std::optional<DesktopPalette> look; // light: the default palette
        if (dark)
            look.emplace(darkDesktopPalette());
        Activation a;
        QStringList calls;
        a.popover().appDelegate.closePopover = [&] {
            calls << "close";
        };
        a.popover().appDelegate.createWorkspace = [&] {
            calls << "create";
        };
        a.popover().view()->show();
        QWidget* empty = a.popover().emptyState();
        ASSERT_TRUE(empty && empty->isVisible());
        EXPECT_FALSE(a.popover().scrollView()->isVisible());
        auto* line = empty->findChild<QLabel*>();
        ASSERT_TRUE(line);
        QAccessibleInterface* text = QAccessible::queryAccessibleInterface(line);
        EXPECT_EQ(text->text(QAccessible::Name), QStringLiteral("No workspaces yet"));
        QAccessibleInterface* button =
            QAccessible::queryAccessibleInterface(a.popover().createButton());
        EXPECT_EQ(std::tuple(button->role(), button->text(QAccessible::Name)),
                  std::tuple(QAccessible::Button, QStringLiteral("Create a Workspace")));
        // Light text on the dark popover, dark text on the light one.
        const QColor ink = line->palette().color(line->foregroundRole());
        EXPECT_EQ(ink.lightnessF() > 0.5, dark) << ink.name().toStdString();

        a.popover().createButton()->click();
        EXPECT_EQ(calls, (QStringList{"close", "create"}));
        a.activation->setWorkspaces(manyWorkspaces(1));
        EXPECT_FALSE(empty->isVisible());
        EXPECT_TRUE(a.popover().scrollView()->isVisible());
    }
}

} // namespace
