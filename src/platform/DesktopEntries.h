#pragma once
// The desktop's application entries (XDG .desktop files) as the installed
// application scan reads them: where they live, and what one entry says.
#include <QString>
#include <QStringList>
#include <memory>

namespace dexaro {

// What the scan needs from one entry.
struct DesktopEntry {
    QString name;       // the localized Name; may be empty
    QString executable; // the program of Exec, as written; may be empty
    // Whether a menu lists it: Type=Application, neither NoDisplay nor Hidden,
    // shown on the current desktop (OnlyShowIn / NotShowIn), and the program
    // TryExec names (if any) is installed.
    bool listed = false;
    QString iconFile; // local path of the Icon's image; empty when none resolves
};

// Reads entries for one scan. Made on the main thread, then used on one other
// thread at a time.
class DesktopEntryReader {
public:
    enum class Status {
        read,       // *entry is filled
        malformed,  // not a desktop entry (not UTF-8, cut short, no [Desktop Entry])
        unreadable, // the file cannot be read; *error says why
    };
    virtual ~DesktopEntryReader() = default;
    virtual Status read(const QString& path, DesktopEntry* entry, QString* error) = 0;
};

class DesktopEntries {
public:
    virtual ~DesktopEntries() = default;

    // The application folders, most important first: $XDG_DATA_HOME/applications,
    // then each $XDG_DATA_DIRS/applications (each once, absolute paths only).
    virtual QStringList applicationFolders() const = 0;

    // A reader for one scan; call on the main thread (it reads the desktop's
    // icon theme there).
    virtual std::unique_ptr<DesktopEntryReader> makeReader() = 0;

    // The desktop-file id of the entry at relativePath below its application
    // folder: "kde/konsole.desktop" -> "kde-konsole.desktop".
    static QString desktopFileId(QString relativePath) {
        return relativePath.replace(QLatin1Char('/'), QLatin1Char('-'));
    }
};

} // namespace dexaro
