#include "model/Packing.h"

#include "model/Records.h"

namespace dexaro {

QString pack(const QStringList& elements, const QString& separator) {
    return elements.join(separator);
}

QStringList unpack(const QString& packed, const QString& separator) {
    return packed.split(separator, Qt::KeepEmptyParts);
}

QString packLink(const QString& name, const QString& address, const QString& marker) {
    return name + marker + address;
}

bool linkReadsBack(const QString& name, const QString& address, const QString& marker,
                   const QString& separator) {
    const QString element = packLink(name, address, marker);
    if (element.split(marker) != QStringList{name, address})
        return false;
    // Whatever stands beside it, the separator is found only where it is put.
    return (element + separator).indexOf(separator) == element.size() &&
           (separator + element).lastIndexOf(separator) == 0;
}

template <typename Link>
static QString packLinks(const QList<Link>& links, const QString& marker,
                         const QString& separator) {
    QStringList elements;
    for (const Link& link : links) {
        if (link.name.isEmpty() && link.url.isEmpty())
            continue;
        elements << packLink(link.name, link.url, marker);
    }
    return pack(elements, separator);
}

QString packURLLinks(const QList<URLLinkModel>& links) {
    return packLinks(links, markers::urlLink, separators::urls);
}

QString packFileLinks(const QList<FileURLLinkModel>& links) {
    return packLinks(links, markers::fileLink, separators::fileURLs);
}

} // namespace dexaro
