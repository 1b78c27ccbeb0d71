// The user defaults as an INI file through QSettings: the value under key K is
// the group [K]. Each change is written at once, so nothing waits for exit.
#include "platform/UserDefaults.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace dexaro {

struct UserDefaults::Private {
    explicit Private(const QString& file) : path(file), settings(file, QSettings::IniFormat) {}
    QString path;
    mutable QSettings settings;
    QHash<QString, QVariantMap> registered;
};

UserDefaults::UserDefaults(const QString& path, QObject* parent)
    : QObject(parent), d(std::make_unique<Private>(path)) {}

UserDefaults::~UserDefaults() = default;

QString UserDefaults::standardPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Dexaro/Dexaro.conf");
}

bool UserDefaults::isValidKey(const QString& key) {
    if (key.isEmpty())
        return false;
    for (QChar c : key) {
        if (c == u'/' || c == u'\\' || c == u'.' || c.isSpace() || c.unicode() < 0x20)
            return false;
    }
    return true;
}

QString UserDefaults::path() const {
    return d->path;
}

// The group under key as the file holds it (registered defaults aside).
static std::optional<QVariantMap> storedGroup(QSettings& settings, const QString& key) {
    if (!settings.childGroups().contains(key))
        return std::nullopt;
    QVariantMap entries;
    settings.beginGroup(key);
    for (const QString& entry : settings.childKeys())
        entries.insert(entry, settings.value(entry));
    settings.endGroup();
    return entries;
}

static void replaceGroup(QSettings& settings, const QString& key,
                         const std::optional<QVariantMap>& entries) {
    settings.remove(key);
    if (!entries)
        return;
    settings.beginGroup(key);
    for (auto it = entries->cbegin(); it != entries->cend(); ++it)
        settings.setValue(it.key(), it.value());
    settings.endGroup();
}

std::optional<QVariantMap> UserDefaults::value(const QString& key) const {
    if (!isValidKey(key))
        return std::nullopt;
    if (std::optional<QVariantMap> stored = storedGroup(d->settings, key))
        return stored;
    const auto registered = d->registered.constFind(key);
    if (registered != d->registered.cend())
        return registered.value();
    return std::nullopt;
}

static bool writeFailed(QSettings& settings, QString* error) {
    settings.sync();
    if (settings.status() == QSettings::NoError)
        return false;
    if (error) {
        *error = settings.status() == QSettings::FormatError
                     ? QCoreApplication::translate("UserDefaults",
                                                   "The file %1 is damaged; it was left as it is.")
                           .arg(settings.fileName())
                     : QCoreApplication::translate("UserDefaults", "The file %1 cannot be written.")
                           .arg(settings.fileName());
    }
    return true;
}

// A write needs a valid key and a file that was read: writing a file we could
// not read would replace it.
bool UserDefaults::canWrite(const QString& key, QString* error) const {
    if (!isValidKey(key)) {
        if (error)
            *error =
                QCoreApplication::translate("UserDefaults", "“%1” is not a valid key.").arg(key);
        return false;
    }
    if (d->settings.status() == QSettings::FormatError) {
        writeFailed(d->settings, error);
        return false;
    }
    return true;
}

// A value that could not be written is not kept in memory either: what this
// run reads is what the next one will.
bool UserDefaults::setValue(const QString& key, const QVariantMap& entries, QString* error) {
    if (!canWrite(key, error))
        return false;
    QSettings& settings = d->settings;
    const std::optional<QVariantMap> before = storedGroup(settings, key);
    replaceGroup(settings, key, entries);
    if (writeFailed(settings, error)) {
        replaceGroup(settings, key, before);
        return false;
    }
    emit changed(key);
    return true;
}

bool UserDefaults::removeValue(const QString& key, QString* error) {
    if (!canWrite(key, error))
        return false;
    QSettings& settings = d->settings;
    const std::optional<QVariantMap> before = storedGroup(settings, key);
    if (!before)
        return true;
    replaceGroup(settings, key, std::nullopt);
    if (writeFailed(settings, error)) {
        replaceGroup(settings, key, before);
        return false;
    }
    emit changed(key);
    return true;
}

void UserDefaults::registerDefaults(const QHash<QString, QVariantMap>& defaults) {
    for (auto it = defaults.cbegin(); it != defaults.cend(); ++it) {
        if (!isValidKey(it.key()))
            continue;
        d->registered.insert(it.key(), it.value());
        emit changed(it.key());
    }
}

} // namespace dexaro
