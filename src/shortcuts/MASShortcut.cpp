#include "shortcuts/MASShortcut.h"

#include "platform/KeyboardLayout.h"
#include "shortcuts/KeyTables.h"
#include "shortcuts/ShortcutStrings.h"

#include <QKeyEvent>

namespace dexaro {
namespace {

std::optional<QString> fixedKeyName(quint64 keyCode) {
    if (keyCode == MASShortcut::NSNotFound)
        return QString();
    if (keyCode == keys::Space)
        return shortcutLocalizedString(QStringLiteral("Space"),
                                       "Shortcut glyph name for SPACE key");
    if (const char* name = keytables::keyName(keyCode))
        return QString::fromLatin1(name);
    if (const auto index = keytables::functionKeyIndex(keyCode))
        return QStringLiteral("F%1").arg(*index + 1);
    return std::nullopt;
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
        keyCode = keytables::keyCodeOfQtKey(event.key()).value_or(NSNotFound);
    keyCode &= EventKeyCodeMask;

    quint64 flags = keytables::flagsOfQtModifiers(event.modifiers());
    // Whether a modifier key's own event already counts it differs between
    // platforms: make it count on press and not on release.
    const auto modifierKey = keytables::keyCodeOfQtKey(event.key());
    if (const quint64 own = modifierKey ? keytables::flagOfModifierKey(*modifierKey) : 0) {
        if (event.type() == QEvent::KeyRelease)
            flags &= ~own;
        else
            flags |= own;
    }
    return MASShortcut(keyCode == EventKeyCodeMask ? NSNotFound : keyCode, flags);
}

quint32 MASShortcut::carbonKeyCode() const {
    return m_keyCode == NSNotFound ? 0 : quint32(m_keyCode);
}

quint32 MASShortcut::carbonFlags() const {
    quint32 carbon = 0;
    for (const auto& modifier : keytables::modifiers) {
        if (m_modifierFlags & modifier.flag)
            carbon |= modifier.carbon;
    }
    return carbon;
}

QString MASShortcut::modifierFlagsString() const {
    QString names;
    for (const auto& modifier : keytables::modifiers) {
        if (m_modifierFlags & modifier.flag)
            names += QLatin1String(modifier.name) + u'+';
    }
    return names;
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
    if (const auto character = keytables::keyEquivalent(m_keyCode))
        return QString(QChar(*character));
    return keyCodeString(layout).toLower();
}

QString MASShortcut::description() const {
    return description(KeyboardLayout::current());
}

QString MASShortcut::description(KeyboardLayout& layout) const {
    const QString key = keyCodeString(layout);
    QString text = modifierFlagsString() + key;
    if (key.isEmpty())
        text.chop(1); // modifiers alone: "Ctrl+Alt"; nothing stays nothing
    return text;
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
