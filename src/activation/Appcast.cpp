#include "activation/Appcast.h"

#include <QXmlStreamReader>

namespace dexaro {

namespace {

const QString sparkleNamespace =
    QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");

// Numeric components of a version, or empty when it is not a dotted number.
std::optional<QList<quint64>> components(const QString& version) {
    if (version.isEmpty())
        return std::nullopt;
    QList<quint64> parts;
    for (const QStringView part : QStringView(version).split(QLatin1Char('.'))) {
        // Nine digits at most: no overflow, and no version needs more.
        if (part.isEmpty() || part.size() > 9)
            return std::nullopt;
        for (const QChar c : part)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return std::nullopt;
        parts.append(part.toULongLong());
    }
    return parts;
}

QUrl webAddress(const QString& text) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("https") && scheme != QLatin1String("http")))
        return {};
    return url;
}

bool isSparkle(const QXmlStreamReader& xml, QLatin1String name) {
    return xml.namespaceUri() == sparkleNamespace && xml.name() == name;
}

void readSparkleAttributes(const QXmlStreamAttributes& attributes, AppcastItem& item) {
    if (attributes.hasAttribute(sparkleNamespace, QStringLiteral("version")))
        item.version =
            attributes.value(sparkleNamespace, QStringLiteral("version")).toString().trimmed();
    if (attributes.hasAttribute(sparkleNamespace, QStringLiteral("shortVersionString")))
        item.shortVersion = attributes.value(sparkleNamespace, QStringLiteral("shortVersionString"))
                                .toString()
                                .trimmed();
}

AppcastItem readItem(QXmlStreamReader& xml) {
    AppcastItem item;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("enclosure") && xml.namespaceUri().isEmpty()) {
            const QXmlStreamAttributes attributes = xml.attributes();
            item.enclosure = webAddress(attributes.value(QStringLiteral("url")).toString());
            // Attributes on the enclosure name the version unless elements did.
            AppcastItem fromEnclosure;
            readSparkleAttributes(attributes, fromEnclosure);
            if (item.version.isEmpty())
                item.version = fromEnclosure.version;
            if (item.shortVersion.isEmpty())
                item.shortVersion = fromEnclosure.shortVersion;
            xml.skipCurrentElement();
        } else if (isSparkle(xml, QLatin1String("version"))) {
            item.version = xml.readElementText().trimmed();
        } else if (isSparkle(xml, QLatin1String("shortVersionString"))) {
            item.shortVersion = xml.readElementText().trimmed();
        } else if (isSparkle(xml, QLatin1String("releaseNotesLink"))) {
            item.releaseNotes = webAddress(xml.readElementText());
        } else if (xml.name() == QLatin1String("title") && xml.namespaceUri().isEmpty()) {
            item.title = xml.readElementText().trimmed();
        } else if (xml.name() == QLatin1String("link") && xml.namespaceUri().isEmpty()) {
            item.link = webAddress(xml.readElementText());
        } else {
            xml.skipCurrentElement();
        }
    }
    return item;
}

} // namespace

QUrl AppcastItem::downloadPage() const {
    return link.isValid() ? link : enclosure;
}

Appcast Appcast::parse(const QByteArray& data) {
    Appcast feed;
    QXmlStreamReader xml(data);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("rss")) {
        feed.error = xml.hasError() ? xml.errorString() : QStringLiteral("not an RSS feed");
        return feed;
    }
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("channel")) {
            xml.skipCurrentElement();
            continue;
        }
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("item"))
                feed.items.append(readItem(xml));
            else
                xml.skipCurrentElement();
        }
    }
    // Read to the end: a feed broken after its items is still broken.
    while (!xml.atEnd() && !xml.hasError())
        xml.readNext();
    if (xml.hasError()) {
        feed.error = xml.errorString();
        feed.items.clear();
    }
    return feed;
}

std::optional<AppcastItem> Appcast::newest() const {
    std::optional<AppcastItem> best;
    for (const AppcastItem& item : items) {
        if (!components(item.displayVersion()))
            continue;
        if (!best || compareVersions(item.displayVersion(), best->displayVersion()) > 0)
            best = item;
    }
    return best;
}

std::optional<int> compareVersions(const QString& a, const QString& b) {
    const auto left = components(a);
    const auto right = components(b);
    if (!left || !right)
        return std::nullopt;
    for (qsizetype i = 0; i < std::max(left->size(), right->size()); ++i) {
        const quint64 x = left->value(i, 0);
        const quint64 y = right->value(i, 0);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

} // namespace dexaro
