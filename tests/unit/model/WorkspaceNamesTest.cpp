// Names that look alike are one name; a name cannot reorder the text it is
// shown in.
#include "model/WorkspaceNames.h"
#include "model/WorkspaceStore.h"
#include "support/QtPrinters.h"
#include "support/RecordingAlerts.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace dexaro;

namespace {

const QString zwsp = QStringLiteral("\u200B"), zwj = QStringLiteral("\u200D"),
              lrm = QStringLiteral("\u200E"), bom = QStringLiteral("\uFEFF");
// "Café" with a precomposed é, and with e + combining acute.
const QString cafeNfc = QStringLiteral("Caf\u00E9"), cafeNfd = QStringLiteral("Cafe\u0301");

TEST(WorkspaceNames, InvisibleEndsDoNotCountAndNamesCompareInNfc) {
    const std::pair<QString, QString> rows[] = {
        {zwsp + zwj + bom, ""},
        {" " + zwsp + " \t" + lrm, ""},
        {zwsp + " Home " + bom, "Home"},
        {cafeNfd, cafeNfc},
        // Inside a name a joiner stays (it makes one emoji of two).
        {QStringLiteral("\U0001F469\u200D\U0001F4BB"),
         QStringLiteral("\U0001F469\u200D\U0001F4BB")},
        {"a" + zwsp + "b", "a" + zwsp + "b"},
    };
    for (const auto& [name, canonical] : rows)
        EXPECT_EQ(canonicalWorkspaceName(name), canonical) << qPrintable(name);
    EXPECT_TRUE(sameWorkspaceName(cafeNfd, " " + cafeNfc + zwsp));
    EXPECT_FALSE(sameWorkspaceName("home", "Home")) << "another case is another name";
}

TEST(WorkspaceNames, DirectionControlsAreShownIsolated) {
    const QString rlo = QStringLiteral("\u202E"), pdf = QStringLiteral("\u202C"),
                  rli = QStringLiteral("\u2067"), fsi = QStringLiteral("\u2068"),
                  pdi = QStringLiteral("\u2069");
    const std::pair<QString, QString> rows[] = {
        {"Work", "Work"},
        {rlo + "exe.evil", fsi + rlo + "exe.evil" + pdf + pdi},
        {"a" + rlo + "b" + pdf + "c", fsi + "a" + rlo + "b" + pdf + "c" + pdi},
        {rli + "x" + rlo + "y", fsi + rli + "x" + rlo + "y" + pdf + pdi + pdi},
        {pdf + pdi + "z", fsi + pdf + pdi + "z" + pdi},
    };
    for (const auto& [name, shown] : rows)
        EXPECT_EQ(displayedWorkspaceName(name), shown) << qPrintable(name);
}

TEST(WorkspaceNames, TheDuplicateCheckFindsNamesThatLookAlike) {
    QTemporaryDir dir;
    QString error;
    auto context = WorkspaceStore::openStore(dir.filePath("Dexaro.sqlite"), &error);
    ASSERT_TRUE(context) << qPrintable(error);
    test::RecordingAlerts alerts;
    WorkspaceStore store(*context, alerts);
    // Stored by an older Dexaro: decomposed, with an invisible character.
    store.fillWorkspace(store.insertWorkspace(), {cafeNfd + zwsp, {"file:///a.desktop"}, {}, {}});
    ASSERT_TRUE(context->save());
    const std::pair<QString, bool> rows[] = {
        {cafeNfc, true},
        {cafeNfd, true},
        {"Cafe", false},
        {"caf\u00E9", false},
    };
    for (const auto& [name, taken] : rows)
        EXPECT_EQ(store.workspaceNameExists(name, 0), taken) << qPrintable(name);
    EXPECT_FALSE(store.workspaceNameExists(cafeNfc, 1)) << "its own name";
    EXPECT_TRUE(alerts.shown.isEmpty());
}

} // namespace
