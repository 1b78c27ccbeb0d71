#include "authoring/NameChecks.h"

#include "model/WorkspaceNames.h"

#include <QTextBoundaryFinder>

namespace dexaro {

int userPerceivedLength(const QString& text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

QString withoutLineBreaks(const QString& text) {
    QString result = text;
    result.removeIf([](QChar c) {
        return c == u'\n' || c == u'\r' || c == QChar::LineSeparator ||
               c == QChar::ParagraphSeparator || c == u'\v' || c == u'\f' || c == QChar(0x85);
    });
    return result;
}

QString trimmedWorkspaceName(const QString& text) {
    return canonicalWorkspaceName(text);
}

bool isWorkspaceNameTooLong(const QString& text) {
    return userPerceivedLength(trimmedWorkspaceName(text)) > maxWorkspaceNameLength;
}

} // namespace dexaro
