#pragma once
// The rules a workspace name is held to while it is typed and when it is saved.
// Lengths are counted in user-perceived characters (grapheme clusters): a flag,
// an emoji with a skin tone or a letter with combining marks is one character.
#include <QString>

namespace dexaro {

inline constexpr int maxWorkspaceNameLength = 40;

// The number of user-perceived characters in text.
int userPerceivedLength(const QString& text);

// text without any line break (LF, CR, and the Unicode line and paragraph
// separators), as a pasted name is cleaned at once.
QString withoutLineBreaks(const QString& text);

// The name as it is saved: white space, line breaks and invisible format
// characters trimmed at both ends, in NFC (canonicalWorkspaceName).
QString trimmedWorkspaceName(const QString& text);

// Whether the trimmed name is longer than the limit.
bool isWorkspaceNameTooLong(const QString& text);

} // namespace dexaro
