#include "shortcuts/MASShortcut.h"

#include "platform/HotKeys.h"
#include "platform/KeyboardLayout.h"
#include "shortcuts/ShortcutStrings.h"

#include <QKeyEvent>

namespace dexaro {
namespace {

// Function keys F1..F19 in order.
constexpr quint16 functionKeys[] = {122, 120, 99,  118, 96,  97,  98, 100, 101, 109,
                                    103, 111, 105, 107, 113, 106, 64, 79,  80};

std::optional<QString> fixedKeyName(quint64 keyCode) {
    switch (keyCode) {
    case 36:
        return QStringLiteral("\u21A9");
    case 48:
        return QStringLiteral("\u21E5");
    case 49:
        return shortcutLocalizedString(QStringLiteral("Space"),
                                       "Shortcut glyph name for SPACE key");
    case 51:
        return QStringLiteral("\u232B");
    case 53:
        return QStringLiteral("\u238B");
    case 71:
        return QStringLiteral("\u2327");
    case 76:
        return QStringLiteral("\u2305");
    case 114:
        return QStringLiteral("?");
    case 115:
        return QStringLiteral("\u2196");
    case 116:
        return QStringLiteral("\u21DE");
    case 117:
        return QStringLiteral("\u2326");
    case 119:
        return QStringLiteral("\u2198");
    case 121:
        return QStringLiteral("\u21DF");
    case 123:
        return QStringLiteral("\u2190");
    case 124:
        return QStringLiteral("\u2192");
    case 125:
        return QStringLiteral("\u2193");
    case 126:
        return QStringLiteral("\u2191");
    case 65:
        return QStringLiteral(".");
    case 67:
        return QStringLiteral("*");
    case 69:
        return QStringLiteral("+");
    case 75:
        return QStringLiteral("/");
    case 78:
        return QStringLiteral("-");
    case 81:
        return QStringLiteral("=");
    case 91:
        return QStringLiteral("8");
    case 92:
        return QStringLiteral("9");
    case MASShortcut::NSNotFound:
        return QString();
    default:
        break;
    }
    if (keyCode >= 82 && keyCode <= 89)
        return QString(QChar(u'0' + int(keyCode - 82)));
    for (size_t i = 0; i < std::size(functionKeys); ++i) {
        if (functionKeys[i] == keyCode)
            return QStringLiteral("F%1").arg(i + 1);
    }
    return std::nullopt;
}

std::optional<char16_t> fixedKeyEquivalent(quint64 keyCode) {
    switch (keyCode) {
    case 36:
        return 13;
    case 48:
        return 9;
    case 49:
        return 32;
    case 51:
        return 8;
    case 53:
        return 27;
    case 126:
        return 0xF700;
    case 125:
        return 0xF701;
    case 123:
        return 0xF702;
    case 124:
        return 0xF703;
    case 117:
        return 0xF728;
    case 115:
        return 0xF729;
    case 119:
        return 0xF72B;
    case 116:
        return 0xF72C;
    case 121:
        return 0xF72D;
    case 114:
        return 0xF746;
    default:
        break;
    }
    for (size_t i = 0; i < std::size(functionKeys); ++i) {
        if (functionKeys[i] == keyCode)
            return char16_t(0xF704 + i);
    }
    return std::nullopt;
}

// Keys of events that carry no native scan code (synthesized events).
std::optional<quint64> keyCodeForQtKey(int key) {
    static constexpr quint8 letters[26] = {0,  11, 8,  2,  14, 3, 5,  4,  34, 38, 40, 37, 46,
                                           45, 31, 35, 12, 15, 1, 17, 32, 9,  13, 7,  16, 6};
    static constexpr quint8 digits[10] = {29, 18, 19, 20, 21, 23, 22, 26, 28, 25};
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return letters[key - Qt::Key_A];
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return digits[key - Qt::Key_0];
    if (key >= Qt::Key_F1 && key <= Qt::Key_F19)
        return functionKeys[key - Qt::Key_F1];
    switch (key) {
    case Qt::Key_F20:
        return 90;
    case Qt::Key_Escape:
        return 53;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 48;
    case Qt::Key_Return:
        return 36;
    case Qt::Key_Enter:
        return 76;
    case Qt::Key_Space:
        return 49;
    case Qt::Key_Backspace:
        return 51;
    case Qt::Key_Delete:
        return 117;
    case Qt::Key_Insert:
    case Qt::Key_Help:
        return 114;
    case Qt::Key_Home:
        return 115;
    case Qt::Key_End:
        return 119;
    case Qt::Key_PageUp:
        return 116;
    case Qt::Key_PageDown:
        return 121;
    case Qt::Key_Left:
        return 123;
    case Qt::Key_Right:
        return 124;
    case Qt::Key_Down:
        return 125;
    case Qt::Key_Up:
        return 126;
    case Qt::Key_Minus:
        return 27;
    case Qt::Key_Equal:
        return 24;
    case Qt::Key_BracketLeft:
        return 33;
    case Qt::Key_BracketRight:
        return 30;
    case Qt::Key_Semicolon:
        return 41;
    case Qt::Key_Apostrophe:
        return 39;
    case Qt::Key_QuoteLeft:
        return 50;
    case Qt::Key_Backslash:
        return 42;
    case Qt::Key_Comma:
        return 43;
    case Qt::Key_Period:
        return 47;
    case Qt::Key_Slash:
        return 44;
    case Qt::Key_Shift:
        return 56;
    case Qt::Key_Control:
        return 59;
    case Qt::Key_Alt:
        return 58;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
        return 55;
    case Qt::Key_Super_R:
        return 54;
    case Qt::Key_CapsLock:
        return 57;
    default:
        return std::nullopt;
    }
}

// The flag a modifier key itself stands for.
quint64 flagOfModifierKey(int key) {
    switch (key) {
    case Qt::Key_Shift:
        return MASShortcut::ShiftFlag;
    case Qt::Key_Control:
        return MASShortcut::ControlFlag;
    case Qt::Key_Alt:
        return MASShortcut::OptionFlag;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        return MASShortcut::CommandFlag;
    default:
        return 0;
    }
}

bool isDisplayable(const QString& text) {
    for (QChar c : text) {
        if (!c.isLetterOrNumber() && !c.isPunct() && !c.isSymbol())
            return false;
    }
    return true;
}

std::optional<qint64> integerEntry(const QVariantMap& entries, const QString& name) {
    const auto it = entries.constFind(name);
    if (it == entries.cend())
        return std::nullopt;
    const QVariant& value = it.value();
    const auto type = value.typeId();
    if (type != QMetaType::QString && type != QMetaType::QByteArray && type != QMetaType::Int &&
        type != QMetaType::UInt && type != QMetaType::LongLong && type != QMetaType::ULongLong)
        return std::nullopt;
    bool ok = false;
    const qint64 number = value.toString().trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return number;
}

} // namespace

MASShortcut::MASShortcut(quint64 keyCode, quint64 modifierFlags)
    : m_keyCode(keyCode), m_modifierFlags(modifierFlags & DeviceIndependentFlagsMask) {}

MASShortcut MASShortcut::shortcutWithEvent(const QKeyEvent& event) {
    quint64 keyCode = NSNotFound;
    if (const auto fromScanCode = KeyboardLayout::keyCodeForNativeScanCode(event.nativeScanCode()))
        keyCode = *fromScanCode;
    else if (event.nativeScanCode() == 0)
        keyCode = keyCodeForQtKey(event.key()).value_or(NSNotFound);
    keyCode &= 0xFFFF;

    const Qt::KeyboardModifiers modifiers = event.modifiers();
    quint64 flags = 0;
    if (modifiers & Qt::ShiftModifier)
        flags |= ShiftFlag;
    if (modifiers & Qt::ControlModifier)
        flags |= ControlFlag;
    if (modifiers & Qt::AltModifier)
        flags |= OptionFlag;
    if (modifiers & Qt::MetaModifier)
        flags |= CommandFlag;
    // Whether a modifier key's own event already counts it differs between
    // platforms: make it count on press and not on release.
    if (const quint64 own = flagOfModifierKey(event.key())) {
        if (event.type() == QEvent::KeyRelease)
            flags &= ~own;
        else
            flags |= own;
    }
    return MASShortcut(keyCode == 0xFFFF ? NSNotFound : keyCode, flags);
}

quint32 MASShortcut::carbonKeyCode() const {
    return m_keyCode == NSNotFound ? 0 : quint32(m_keyCode);
}

quint32 MASShortcut::carbonFlags() const {
    quint32 carbon = 0;
    if (m_modifierFlags & CommandFlag)
        carbon |= HotKeys::CarbonCommand;
    if (m_modifierFlags & ShiftFlag)
        carbon |= HotKeys::CarbonShift;
    if (m_modifierFlags & OptionFlag)
        carbon |= HotKeys::CarbonOption;
    if (m_modifierFlags & ControlFlag)
        carbon |= HotKeys::CarbonControl;
    return carbon;
}

QString MASShortcut::modifierFlagsString() const {
    QString glyphs;
    if (m_modifierFlags & ControlFlag)
        glyphs += QChar(0x2303);
    if (m_modifierFlags & OptionFlag)
        glyphs += QChar(0x2325);
    if (m_modifierFlags & ShiftFlag)
        glyphs += QChar(0x21E7);
    if (m_modifierFlags & CommandFlag)
        glyphs += QChar(0x2318);
    return glyphs;
}

QString MASShortcut::keyCodeString() const {
    return keyCodeString(KeyboardLayout::current());
}

QString MASShortcut::keyCodeString(KeyboardLayout& layout) const {
    if (auto fixed = fixedKeyName(m_keyCode))
        return *fixed;
    if (m_keyCode > 0xFFFFFFFFull)
        return QString();
    const std::optional<QString> text = layout.keyText(quint32(m_keyCode));
    if (!text || text->isEmpty() || !isDisplayable(*text))
        return QString();
    return text->toUpper();
}

QString MASShortcut::keyCodeStringForKeyEquivalent() const {
    return keyCodeStringForKeyEquivalent(KeyboardLayout::current());
}

QString MASShortcut::keyCodeStringForKeyEquivalent(KeyboardLayout& layout) const {
    if (const auto character = fixedKeyEquivalent(m_keyCode))
        return QString(QChar(*character));
    return keyCodeString(layout).toLower();
}

QString MASShortcut::description() const {
    return modifierFlagsString() + keyCodeString();
}

QVariantMap MASShortcut::encode() const {
    QVariantMap entries;
    entries.insert(QStringLiteral("KeyCode"),
                   m_keyCode == NSNotFound ? qint64(-1) : qint64(m_keyCode));
    entries.insert(QStringLiteral("ModifierFlags"), qint64(m_modifierFlags));
    return entries;
}

std::optional<MASShortcut> MASShortcut::decode(const QVariantMap& entries) {
    const auto keyCode = integerEntry(entries, QStringLiteral("KeyCode"));
    const auto flags = integerEntry(entries, QStringLiteral("ModifierFlags"));
    if (!keyCode || !flags)
        return std::nullopt;
    return MASShortcut(Unmasked{}, *keyCode < 0 ? NSNotFound : quint64(*keyCode), quint64(*flags));
}

} // namespace dexaro
