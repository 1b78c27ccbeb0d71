// The link lists and their popover: rows on top, deletion, reading back,
// filling from stored links, the file chooser, the popover's placement.
#include "authoring/LinkListView.h"
#include "authoring/LinkPopover.h"
#include "model/Packing.h"
#include "support/QtPrinters.h"
#include "support/Wait.h"

#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <gtest/gtest.h>

namespace dexaro {
// GoogleTest finds it beside LinkRow.
void PrintTo(const LinkRow& row, std::ostream* out) {
    *out << '{' << row.name.toStdString() << ", " << row.address.toStdString() << '}';
}
} // namespace dexaro

namespace dexaro::test {
namespace {

void type(LinkListView& list, int index, const QString& name, const QString& address) {
    list.rowView(index)->nameField()->setText(name);
    list.rowView(index)->addressField()->setText(address);
}

TEST(LinkList, EachNewRowGoesOnTopAndDeleteKeepsTheOthersTyped) {
    LinkListView list(LinkKind::url);
    for (const char* name : {"first", "second", "third"}) {
        list.addRow();
        type(list, 0, QString::fromUtf8(name), QStringLiteral("www.%1.org").arg(name));
    }
    list.rowView(1)->deleteButton()->click();
    list.removeRow(2); // out of range: nothing
    EXPECT_EQ(list.currentRows(),
              (QList<LinkRow>{{"third", "www.third.org"}, {"first", "www.first.org"}}));
    EXPECT_EQ(list.rowView(1)->deleteButton()->accessibleName(), "Delete link 2");
}

TEST(LinkList, RowsOutOfViewAreReadBack) {
    LinkListView list(LinkKind::file);
    list.resize(320, 150);
    list.show();
    for (int i = 0; i < 8; ++i)
        list.addRow();
    type(list, 7, QStringLiteral("Taxes"), QStringLiteral("/home/u/taxes.ods"));
    ASSERT_TRUE(waitUntil([&] { return list.rowView(7)->visibleRegion().isEmpty(); }));
    EXPECT_EQ(list.currentRows().size(), 8);
    EXPECT_EQ(list.currentRows().last(), (LinkRow{"Taxes", "/home/u/taxes.ods"}));
}

TEST(LinkList, FillFromStoredStrings) {
    using R = LinkRow;
    const struct {
        const char* name;
        LinkKind kind;
        QStringList stored;
        QList<R> rows;
    } cases[] = {
        {"a workspace without links", LinkKind::url, {""}, {}},
        {"nothing stored", LinkKind::url, {}, {}},
        {"lacking the marker", LinkKind::url, {"Blog"}, {R{}}},
        {"two markers", LinkKind::url, {"a*:///:*b*:///:*c"}, {R{}}},
        {"two links in order",
         LinkKind::url,
         {"Blog*:///:*blog.example.org", "Mail*:///:*https://mail.example.org"},
         {{"Blog", "blog.example.org"}, {"Mail", "https://mail.example.org"}}},
        {"files split at their own marker",
         LinkKind::file,
         {"Price doc*:///:/:///:* /home/u/price list.ods "},
         {{"Price doc", " /home/u/price list.ods "}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LinkListView list(c.kind);
        list.addRow(); // replaced, not kept
        list.setFromStoredStrings(c.stored);
        EXPECT_EQ(list.currentRows(), c.rows);
    }
}

TEST(LinkList, TheChosenFileGivesItsPathAndCancelChangesNothing) {
    const struct {
        const char* name;
        QString url; // what the chooser answers
        QString address;
    } cases[] = {
        {"space and non-ASCII",
         QUrl::fromLocalFile(QStringLiteral("/home/u/My Docs/résumé 履歴.pdf")).toString(),
         QStringLiteral("/home/u/My Docs/résumé 履歴.pdf")},
        {"percent sign", QStringLiteral("file:///tmp/100%25%20sure.txt"), "/tmp/100% sure.txt"},
        {"an entry", QStringLiteral("file:///usr/share/applications/org.gnome.Maps.desktop"),
         "/usr/share/applications/org.gnome.Maps.desktop"},
        {"cancelled", QString(), "typed by hand"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LinkListView::setFileChooser([&](QWidget*) { return c.url; });
        LinkListView list(LinkKind::file);
        list.addRow();
        type(list, 0, QStringLiteral("Doc"), QStringLiteral("typed by hand"));
        list.rowView(0)->selectFileButton()->click();
        EXPECT_EQ(list.currentRows().first(), (LinkRow{"Doc", c.address}));
    }
    LinkListView::setFileChooser({});
}

TEST(LinkList, RowsHoldingTheMarkerOrSeparatorCannotBeStored) {
    LinkListView list(LinkKind::url);
    for (int i = 0; i < 4; ++i)
        list.addRow();
    type(list, 0, QStringLiteral("fine"), QStringLiteral("x.org/*:///:/:///:*")); // the file marker
    type(list, 1, QStringLiteral("a*:///:*b"), QStringLiteral("x.org"));
    type(list, 2, QStringLiteral("c"), QStringLiteral("x.org") + separators::urls);
    EXPECT_EQ(list.unstorableRows(), (QList<int>{1, 2}));
}

} // namespace
} // namespace dexaro::test
