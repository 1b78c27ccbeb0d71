#pragma once
// The texts of the keyboard-shortcut controls, looked up by key in the
// compiled-in English table "Localizable", where every key maps to itself.
// A key the table lacks yields "XXX", so a missing text shows up at once.
#include <QString>

namespace dexaro {

// comment: the translator's note for the text; not used for the lookup.
QString shortcutLocalizedString(const QString& key, const char* comment = nullptr);

// Fills the "%@" of a looked-up format with argument.
QString shortcutFormat(const QString& format, const QString& argument);

} // namespace dexaro
