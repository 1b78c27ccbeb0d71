#include "shortcuts/ShortcutStrings.h"

#include <QHash>

namespace dexaro {
namespace {

// Table "Localizable", English.
const QHash<QString, QString>& localizable() {
    static const QHash<QString, QString> table = [] {
        const char16_t* keys[] = {
            u"Space",
            u"This combination cannot be used because it is already used by a system-wide "
            u"keyboard shortcut.\nIf you really want to use this key combination, most shortcuts "
            u"can be changed in the keyboard settings of your desktop.",
            u"This shortcut cannot be used because it is already used by the menu item ‘%@’.",
            u"The key combination %@ cannot be used",
            u"OK",
            u"Shortcut set",
            u"Shortcut cleared",
            u"Empty",
            u"keyboard shortcut",
            u"To record a new shortcut, click this button, and then type the new shortcut, or "
            u"press delete to clear an existing shortcut.",
            u"Use Old Shortcut",
            u"Type New Shortcut",
            u"Cancel",
            u"Type Shortcut",
            u"Record Shortcut",
            u"Click to record new shortcut",
            u"Delete shortcut",
        };
        QHash<QString, QString> t;
        for (const char16_t* key : keys)
            t.insert(QString::fromUtf16(key), QString::fromUtf16(key));
        return t;
    }();
    return table;
}

} // namespace

QString shortcutLocalizedString(const QString& key, const char*) {
    return localizable().value(key, QStringLiteral("XXX"));
}

QString shortcutFormat(const QString& format, const QString& argument) {
    QString text = format;
    const qsizetype at = text.indexOf(QLatin1String("%@"));
    if (at >= 0)
        text.replace(at, 2, argument);
    return text;
}

} // namespace dexaro
