#include "activation/LaunchRules.h"

#include <QFileInfo>
#include <QStringDecoder>

namespace dexaro {

QStringList linkAddresses(const QStringList& packedLinks, const QString& marker) {
    QStringList addresses;
    for (const QString& link : packedLinks) {
        const QStringList parts = link.split(marker);
        if (parts.size() == 2)
            addresses.append(parts.at(1));
    }
    return addresses;
}

std::optional<QUrl> webAddressToOpen(const QString& address) {
    QString text = address;
    if (!text.contains(QLatin1String("http://")) && !text.contains(QLatin1String("https://")))
        text.prepend(QLatin1String("https://"));
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    const QString scheme = url.scheme().toLower();
    if ((scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
        url.host().isEmpty())
        return std::nullopt; // "https://" of an empty address: nothing to open
    return url;
}

QString appDisplayName(const QString& entry) {
    // The name is taken from the text as stored: a trailing slash (a folder
    // URL) does not count as a component.
    QString path = entry;
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    QString last = path.section(QLatin1Char('/'), -1);
    const int dot = last.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        last.truncate(dot);
    const QByteArray decoded = QByteArray::fromPercentEncoding(last.toUtf8());
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString name = utf8.decode(decoded);
    return utf8.hasError() ? QString() : name;
}

QString appsNotOpenedText(const QStringList& failedNames) {
    const QString lead = failedNames.size() == 1 ? QStringLiteral("App with name ")
                                                 : QStringLiteral("Apps with names ");
    return lead + failedNames.join(QLatin1Char(',')) + QStringLiteral(" could not be opened!");
}

} // namespace dexaro
