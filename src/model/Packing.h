#pragma once
// Lists stored as single strings: a plain join on a fixed separator, never escaped.
#include <QList>
#include <QString>
#include <QStringList>

namespace dexaro {

namespace separators {
inline const QString apps = QStringLiteral("0,.,1");
inline const QString urls = QStringLiteral("@@0100..1x@@");
inline const QString fileURLs = QStringLiteral("@@01100,..,1x000@@");
} // namespace separators

namespace markers {
inline const QString urlLink = QStringLiteral("*:///:*");
inline const QString fileLink = QStringLiteral("*:///:/:///:*");
} // namespace markers

// Plain join: nothing before the first or after the last element.
QString pack(const QStringList& elements, const QString& separator);
// Plain split on the whole separator; the empty string gives one empty element.
QStringList unpack(const QString& packed, const QString& separator);

// A link row as stored: name + marker + address.
QString packLink(const QString& name, const QString& address, const QString& marker);
// Whether the link, stored with packLink in a list joined on separator, reads
// back as the same name and address: the marker is found only where packLink
// put it (not also across the border of name or address: "Docs*:///:" before
// the marker), and the separator nowhere in the element nor across its ends.
bool linkReadsBack(const QString& name, const QString& address, const QString& marker,
                   const QString& separator);

struct URLLinkModel;
struct FileURLLinkModel;
// Packs link rows, dropping those whose name and address are both empty.
QString packURLLinks(const QList<URLLinkModel>& links);
QString packFileLinks(const QList<FileURLLinkModel>& links);

} // namespace dexaro
