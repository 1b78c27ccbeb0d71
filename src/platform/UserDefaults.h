#pragma once
// The user defaults: named values, each a small archive of integer entries.
// They live in an INI file ($XDG_CONFIG_HOME/Dexaro/Dexaro.conf); the value
// under key K is the group [K] and its entries, no group means no value.
//
// Every change made through an instance is announced at once, per key, to the
// rest of the process (changed(key)), which is what keeps hot keys and
// recorders in step with the stored shortcuts. Main thread only.
#include <QHash>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <memory>
#include <optional>

namespace dexaro {

class UserDefaults : public QObject {
    Q_OBJECT
public:
    explicit UserDefaults(const QString& path, QObject* parent = nullptr);
    ~UserDefaults() override;

    static QString standardPath();

    // A key names one INI group: not empty, no '/', '\\', '.' or space.
    static bool isValidKey(const QString& key);

    // The entries stored under key, else the registered default, else nullopt.
    // Entry values come back as the INI file holds them (text).
    std::optional<QVariantMap> value(const QString& key) const;
    // Replaces the value under key and writes the file. False and a readable
    // error when the key is not valid or the file cannot be written.
    bool setValue(const QString& key, const QVariantMap& entries, QString* error = nullptr);
    // Removes the value under key (the registered default, if any, shows again).
    bool removeValue(const QString& key, QString* error = nullptr);

    // Values used for keys that hold nothing; not written to the file.
    void registerDefaults(const QHash<QString, QVariantMap>& defaults);

    QString path() const;

signals:
    void changed(const QString& key);

private:
    bool canWrite(const QString& key, QString* error) const;

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace dexaro
