// The link lists: rows on top, deletion, reading back. (Filling them from
// stored links is read back by the Creator's and the Editor's tests.)
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

// New rows go on top; deleting one keeps what was typed in the others, and
// rows scrolled out of view are read back as well.
TEST(LinkList, NewRowsOnTopDeleteKeepsTheOthersAndAllRowsAreReadBack) {
    LinkListView list(LinkKind::url);
    list.resize(320, 150);
    list.show();
    QList<LinkRow> expected;
    for (const QString name : {"a", "b", "c", "d", "e", "f", "g", "h"}) {
        list.addRow();
        expected.prepend({name, "www." + name + ".org"});
        list.rowView(0)->nameField()->setText(expected.first().name);
        list.rowView(0)->addressField()->setText(expected.first().address);
    }
    list.rowView(1)->deleteButton()->click();
    expected.removeAt(1);
    ASSERT_TRUE(waitUntil([&] { return list.rowView(6)->visibleRegion().isEmpty(); }));
    EXPECT_EQ(list.currentRows(), expected);
}

} // namespace
} // namespace dexaro::test
