// The link lists: rows on top, deletion, reading back, filling from stored links.
#include "authoring/LinkListView.h"
#include "support/QtPrinters.h"
#include "support/Wait.h"

#include <QLineEdit>
#include <QPushButton>
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
    EXPECT_EQ(list.currentRows(),
              (QList<LinkRow>{{"third", "www.third.org"}, {"first", "www.first.org"}}));
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
        {"lacking the marker", LinkKind::url, {"Blog"}, {R{}}},
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

} // namespace
} // namespace dexaro::test
