#include "activation/LaunchRules.h"

#include "platform/UriSchemes.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>
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

std::optional<QUrl> webAddressToOpen(const QString& address, const SchemeHandled& schemeHandled) {
    // An address that starts with a scheme of its own (ftp://, sftp:// ...)
    // keeps it: "https://" in front would turn its scheme into a host name.
    static const QRegularExpression schemed(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    // "mailto:", "tel:": a scheme without "//", which looks like a host and
    // port ("localhost:8080") unless the desktop knows the scheme.
    static const QRegularExpression bareScheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):"));
    QString text = address.trimmed();
    if (!text.contains(QLatin1String("http://")) && !text.contains(QLatin1String("https://")) &&
        !schemed.match(text).hasMatch()) {
        const QRegularExpressionMatch bare = bareScheme.match(text);
        if (!bare.hasMatch() || !schemeHandled || !schemeHandled(bare.captured(1)))
            text.prepend(QLatin1String("https://"));
    }
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    const QString scheme = url.scheme().toLower();
    if ((scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
        url.host().isEmpty())
        return std::nullopt; // "https://" of an empty address: nothing to open
    // Script run by whatever takes the address, never a page to open.
    if (scheme == QLatin1String("javascript") || scheme == QLatin1String("vbscript"))
        return std::nullopt;
    return url;
}

std::optional<QUrl> webAddressToOpen(const QString& address) {
    return webAddressToOpen(address, desktopHandlesUriScheme);
}

bool webAddressCanOpen(const QString& address) {
    return webAddressToOpen(address, [](const QString&) { return true; }).has_value();
}

QString fileLinkPath(const QString& address) {
    if (address == QLatin1String("~") || address.startsWith(QLatin1String("~/")))
        return QDir::homePath() + address.mid(1);
    return address;
}

namespace {

// Name (or Name[lang]) from the [Desktop Entry] group of a desktop entry file.
QString desktopEntryName(const QString& path) {
    QFile file(path);
    if (!path.endsWith(QLatin1String(".desktop")) || !file.open(QIODevice::ReadOnly))
        return {};
    const QString locale = QLocale::system().name(); // de_DE
    const QStringList keys = {
        QStringLiteral("Name[%1]").arg(locale),
        QStringLiteral("Name[%1]").arg(locale.section(QLatin1Char('_'), 0, 0)),
        QStringLiteral("Name")};
    QHash<QString, QString> found;
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine(64 * 1024)).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const int equals = line.indexOf(QLatin1Char('='));
        if (!inMainGroup || equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        if (keys.contains(key) && !found.contains(key))
            found.insert(key, line.mid(equals + 1).trimmed());
    }
    for (const QString& key : keys)
        if (!found.value(key).isEmpty())
            return found.value(key);
    return {};
}

} // namespace

QString appDisplayName(const QString& entry) {
    const QUrl url(entry);
    if (url.isLocalFile()) {
        const QString name = desktopEntryName(url.toLocalFile());
        if (!name.isEmpty())
            return name;
    }
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
