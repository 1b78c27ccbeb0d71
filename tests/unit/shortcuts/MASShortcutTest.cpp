// The shortcut value: masking, event-manager form, rendering, stored form.
#include "shortcuts/MASShortcut.h"
#include "platform/KeyboardLayout.h"

#include <QHash>
#include <QKeyEvent>
#include <gtest/gtest.h>

using dexaro::KeyboardLayout;
using dexaro::MASShortcut;

namespace {

constexpr quint64 Shift = MASShortcut::ShiftFlag;
constexpr quint64 Control = MASShortcut::ControlFlag;
constexpr quint64 Option = MASShortcut::OptionFlag;
constexpr quint64 Command = MASShortcut::CommandFlag;
constexpr quint64 none = MASShortcut::NSNotFound;

struct FlagsRow {
    const char* name;
    quint64 flags;
    quint64 kept;
    quint32 carbon;
    const char* glyphs;
};

TEST(MASShortcut, FlagsAreMaskedAndConverted) {
    const FlagsRow rows[] = {
        {"none", 0, 0, 0, ""},
        {"extra bits dropped", 0x1E0100, 0x1E0000, 0x1B00, "⌃⌥⇧⌘"},
        {"control command", Command | Control, Command | Control, 0x1100, "⌃⌘"},
        {"shift option", Shift | Option, Shift | Option, 0xA00, "⌥⇧"},
        {"command alone", Command, Command, 0x100, "⌘"},
        {"caps lock and fn dropped", 0x10000 | 0x800000 | Shift, Shift, 0x200, "⇧"},
    };
    for (const FlagsRow& row : rows) {
        SCOPED_TRACE(row.name);
        const MASShortcut shortcut(40, row.flags);
        EXPECT_EQ(shortcut.modifierFlags(), row.kept);
        EXPECT_EQ(shortcut.carbonFlags(), row.carbon);
        EXPECT_EQ(shortcut.modifierFlagsString(), QString::fromUtf8(row.glyphs));
    }
}

struct NameRow {
    quint64 keyCode;
    const char* name;
};

TEST(MASShortcut, FixedKeyNames) {
    const NameRow rows[] = {
        {36, "↩"},    {48, "⇥"},    {49, "Space"}, {51, "⌫"},    {53, "⎋"},    {71, "⌧"},
        {76, "⌅"},    {114, "?"},   {115, "↖"},    {116, "⇞"},   {117, "⌦"},   {119, "↘"},
        {121, "⇟"},   {123, "←"},   {124, "→"},    {125, "↓"},   {126, "↑"},   {122, "F1"},
        {120, "F2"},  {99, "F3"},   {118, "F4"},   {96, "F5"},   {97, "F6"},   {98, "F7"},
        {100, "F8"},  {101, "F9"},  {109, "F10"},  {103, "F11"}, {111, "F12"}, {105, "F13"},
        {107, "F14"}, {113, "F15"}, {106, "F16"},  {64, "F17"},  {79, "F18"},  {80, "F19"},
        {65, "."},    {67, "*"},    {69, "+"},     {75, "/"},    {78, "-"},    {81, "="},
        {82, "0"},    {85, "3"},    {89, "7"},     {91, "8"},    {92, "9"},    {none, ""},
    };
    for (const NameRow& row : rows) {
        SCOPED_TRACE(row.keyCode);
        EXPECT_EQ(MASShortcut(row.keyCode, 0).keyCodeString(), QString::fromUtf8(row.name));
    }
}

// Without a display the layout is US.
TEST(MASShortcut, LayoutKeyNamesAreUpperCase) {
    const NameRow rows[] = {
        {0, "A"},
        {1, "S"},
        {40, "K"},
        {12, "Q"},
        {6, "Z"},
        {18, "1"},
        {29, "0"},
        {23, "5"},
        {22, "6"},
        {27, "-"},
        {24, "="},
        {33, "["},
        {30, "]"},
        {41, ";"},
        {39, "'"},
        {42, "\\"},
        {43, ","},
        {47, "."},
        {44, "/"},
        {50, "`"},
        // modifier keys, keys outside the table and unassigned codes type nothing
        {56, ""},
        {59, ""},
        {55, ""},
        {52, ""},
        {127, ""},
        {500, ""},
        {1ull << 40, ""},
    };
    for (const NameRow& row : rows) {
        SCOPED_TRACE(row.keyCode);
        EXPECT_EQ(MASShortcut(row.keyCode, 0).keyCodeString(), QString::fromUtf8(row.name));
    }
}

struct EquivalentRow {
    quint64 keyCode;
    char16_t character;
};

TEST(MASShortcut, KeyEquivalents) {
    const EquivalentRow rows[] = {
        {36, 13},      {48, 9},       {49, 32},      {51, 8},       {53, 27},      {126, 0xF700},
        {125, 0xF701}, {123, 0xF702}, {124, 0xF703}, {122, 0xF704}, {120, 0xF705}, {80, 0xF716},
        {106, 0xF713}, {117, 0xF728}, {115, 0xF729}, {119, 0xF72B}, {116, 0xF72C}, {121, 0xF72D},
        {114, 0xF746}, {1, u's'},     {40, u'k'},    {41, u';'},
    };
    for (const EquivalentRow& row : rows) {
        SCOPED_TRACE(row.keyCode);
        EXPECT_EQ(MASShortcut(row.keyCode, 0).keyCodeStringForKeyEquivalent(),
                  QString(QChar(row.character)));
    }
}

TEST(MASShortcut, DescriptionIsGlyphsThenKey) {
    EXPECT_EQ(MASShortcut(40, Control | Option | Command).description(), QStringLiteral("⌃⌥⌘K"));
    EXPECT_EQ(MASShortcut(none, Control | Shift).description(), QStringLiteral("⌃⇧"));
    EXPECT_EQ(MASShortcut(none, 0).carbonKeyCode(), 0u);
    EXPECT_EQ(MASShortcut(40, 0).carbonKeyCode(), 40u);
}

TEST(MASShortcut, EqualShortcutsKeyTheSameEntry) {
    QHash<MASShortcut, int> table;
    table.insert(MASShortcut(40, Control | Option), 1);
    table.insert(MASShortcut(40, Control | Option | 0x100), 2); // equal once masked
    EXPECT_EQ(table.size(), 1);
    EXPECT_EQ(table.value(MASShortcut(40, Option | Control)), 2);
    EXPECT_NE(MASShortcut(40, Control), MASShortcut(40, Option));
    EXPECT_NE(MASShortcut(40, Control), MASShortcut(41, Control));
}

struct StoredRow {
    const char* name;
    QVariantMap entries;
    bool decodes;
    quint64 keyCode;
    quint64 flags;
};

TEST(MASShortcut, StoredForm) {
    const auto entries = [](QVariant key, QVariant flags) {
        QVariantMap map;
        if (key.isValid())
            map.insert(QStringLiteral("KeyCode"), key);
        if (flags.isValid())
            map.insert(QStringLiteral("ModifierFlags"), flags);
        return map;
    };
    const StoredRow rows[] = {
        {"as written", entries(QStringLiteral("40"), QStringLiteral("786432")), true, 40,
         Control | Option},
        {"numbers", entries(40, qint64(Command)), true, 40, Command},
        {"minus one is no key", entries(QStringLiteral("-1"), QStringLiteral("262144")), true, none,
         Control},
        {"any negative is no key", entries(QStringLiteral("-77"), QStringLiteral("0")), true, none,
         0},
        {"flags stay unmasked", entries(QStringLiteral("0"), QStringLiteral("1966336")), true, 0,
         0x1E0100},
        {"key outside the table kept", entries(QStringLiteral("500"), QStringLiteral("0")), true,
         500, 0},
        {"no key code", entries({}, QStringLiteral("0")), false, 0, 0},
        {"no flags", entries(QStringLiteral("3"), {}), false, 0, 0},
        {"key code not a number", entries(QStringLiteral("K"), QStringLiteral("0")), false, 0, 0},
        {"flags not a number", entries(QStringLiteral("3"), QStringLiteral("ctrl")), false, 0, 0},
        {"list value", entries(QStringList{QStringLiteral("1"), QStringLiteral("2")}, 0), false, 0,
         0},
        {"too large", entries(QStringLiteral("99999999999999999999"), 0), false, 0, 0},
        {"empty", entries(QString(), 0), false, 0, 0},
    };
    for (const StoredRow& row : rows) {
        SCOPED_TRACE(row.name);
        const auto decoded = MASShortcut::decode(row.entries);
        ASSERT_EQ(decoded.has_value(), row.decodes);
        if (!decoded)
            continue;
        EXPECT_EQ(decoded->keyCode(), row.keyCode);
        EXPECT_EQ(decoded->modifierFlags(), row.flags);
        // Written back and read again, it is the same shortcut.
        EXPECT_EQ(MASShortcut::decode(decoded->encode()), decoded);
    }
    EXPECT_EQ(MASShortcut(none, 0).encode().value(QStringLiteral("KeyCode")).toLongLong(), -1);
}

TEST(MASShortcut, FromKeyEvents) {
    // X11 key code of K is evdev 37 + 8.
    const QKeyEvent k(QEvent::KeyPress, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier, 45, 0, 0);
    EXPECT_EQ(MASShortcut::shortcutWithEvent(k), MASShortcut(40, Control | Option));
    // Synthesized events without a scan code fall back to the Qt key.
    const QKeyEvent f5(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier);
    EXPECT_EQ(MASShortcut::shortcutWithEvent(f5), MASShortcut(96, 0));
    // A modifier key counts itself on press, not on release; Meta is Command.
    const QKeyEvent metaDown(QEvent::KeyPress, Qt::Key_Meta, Qt::NoModifier);
    EXPECT_EQ(MASShortcut::shortcutWithEvent(metaDown).modifierFlags(), Command);
    const QKeyEvent shiftUp(QEvent::KeyRelease, Qt::Key_Shift,
                            Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(MASShortcut::shortcutWithEvent(shiftUp).modifierFlags(), Control);
    // An unknown key has no key code.
    const QKeyEvent media(QEvent::KeyPress, Qt::Key_VolumeUp, Qt::NoModifier, 0, 0, 0);
    EXPECT_EQ(MASShortcut::shortcutWithEvent(media).keyCode(), none);
}

TEST(KeyCodeTable, MapsBothWaysWithoutCollisions) {
    int rows = 0;
    for (quint32 keyCode = 0; keyCode < 128; ++keyCode) {
        const auto evdev = KeyboardLayout::evdevCode(keyCode);
        if (!evdev)
            continue;
        ++rows;
        SCOPED_TRACE(keyCode);
        EXPECT_LT(*evdev + 8, 256u); // fits an X11 key code
        EXPECT_EQ(KeyboardLayout::keyCodeForEvdev(*evdev), keyCode);
    }
    EXPECT_GE(rows, 110);
    EXPECT_EQ(KeyboardLayout::evdevCode(53), 1u);                // Escape
    EXPECT_EQ(KeyboardLayout::evdevCode(122), 59u);              // F1
    EXPECT_EQ(KeyboardLayout::keyCodeForNativeScanCode(38), 0u); // X11 key code of A
    EXPECT_FALSE(KeyboardLayout::evdevCode(52));
    EXPECT_FALSE(KeyboardLayout::evdevCode(1000));
    EXPECT_FALSE(KeyboardLayout::keyCodeForNativeScanCode(0));
}

} // namespace

#include "shortcuts/ShortcutStrings.h"

TEST(ShortcutStrings, EnglishTableMapsKeysToThemselves) {
    EXPECT_EQ(dexaro::shortcutLocalizedString(QStringLiteral("Space")), QStringLiteral("Space"));
    EXPECT_EQ(dexaro::shortcutLocalizedString(QStringLiteral("Record Shortcut")),
              QStringLiteral("Record Shortcut"));
    EXPECT_EQ(dexaro::shortcutLocalizedString(QStringLiteral("No such text")),
              QStringLiteral("XXX"));
    EXPECT_EQ(dexaro::shortcutFormat(QStringLiteral("The key combination %@ cannot be used"),
                                     QStringLiteral("⌘K")),
              QStringLiteral("The key combination ⌘K cannot be used"));
}
