#include "authoring/InstalledAppsScan.h"

#include "platform/DesktopEntries.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <set>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace dexaro {
namespace {

const QString dexaroName = QStringLiteral("Dexaro");
const QString dexaroId = QStringLiteral("org.dexaro.Dexaro.desktop");
const QString launchpadName = QStringLiteral("Launchpad");

QString reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// One folder's listing: its entries (*.desktop files) and its subfolders, each
// sorted by name so that "first found" does not depend on the file system.
struct Listing {
    std::vector<QByteArray> entries;
    std::vector<QByteArray> folders;
    QStringList unreadable; // *.desktop names that are no readable file
    std::pair<dev_t, ino_t> identity{};
};

bool isEntryName(const char* name, size_t length) {
    static constexpr char suffix[] = ".desktop";
    constexpr size_t suffixLength = sizeof(suffix) - 1;
    return length > suffixLength &&
           std::memcmp(name + length - suffixLength, suffix, suffixLength) == 0;
}

// Lists dir; on failure answers false with errno in *error.
bool list(const QByteArray& dir, bool withFolders, Listing* listing, int* error) {
    DIR* stream = ::opendir(dir.constData());
    if (!stream) {
        *error = errno;
        return false;
    }
    struct stat status {};
    if (::fstat(::dirfd(stream), &status) == 0)
        listing->identity = {status.st_dev, status.st_ino};
    while (const dirent* item = ::readdir(stream)) {
        const char* name = item->d_name;
        if (name[0] == '.') // hidden files, "." and ".."
            continue;
        const size_t length = std::strlen(name);
        const bool entry = isEntryName(name, length);
        unsigned char type = item->d_type;
        if (type == DT_LNK || type == DT_UNKNOWN) {
            // Follow the link; one that leads nowhere (dangling, a loop) is
            // worth telling only when it stands for an entry.
            const QByteArray path = dir + '/' + QByteArray(name, qsizetype(length));
            if (::stat(path.constData(), &status) != 0) {
                if (entry)
                    listing->unreadable.append(QFile::decodeName(path) + QStringLiteral(": ") +
                                               reason(errno));
                continue;
            }
            type = S_ISDIR(status.st_mode) ? DT_DIR : S_ISREG(status.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        if (type == DT_DIR) {
            if (withFolders)
                listing->folders.emplace_back(name, qsizetype(length));
        } else if (entry && type == DT_REG) {
            listing->entries.emplace_back(name, qsizetype(length));
        } else if (entry) {
            // A pipe or device would block or mislead the reader.
            listing->unreadable.append(QFile::decodeName(dir + '/' + name) +
                                       QStringLiteral(": not a regular file"));
        }
    }
    ::closedir(stream);
    std::sort(listing->entries.begin(), listing->entries.end());
    std::sort(listing->folders.begin(), listing->folders.end());
    return true;
}

class Walk {
public:
    Walk(DesktopEntryReader& reader, bool leaveOutSystem, QString systemFolder)
        : m_reader(reader), m_leaveOutSystem(leaveOutSystem),
          m_systemFolder(QDir::cleanPath(systemFolder)) {}

    void folder(const QString& path) {
        const QString folder = QDir::cleanPath(path);
        const QByteArray bytes = QFile::encodeName(folder);
        const bool system = folder == m_systemFolder;
        Listing listing;
        int error = 0;
        if (!list(bytes, true, &listing, &error)) {
            if (error != ENOENT) // a missing folder is no fault
                m_result.unlistableFolders.append(folder + QStringLiteral(": ") + reason(error));
            return;
        }
        if (!m_listed.insert(listing.identity).second)
            return; // named twice, or reached again through a link
        take(listing, folder, {}, system);
        for (const QByteArray& name : listing.folders) {
            const QString sub = QFile::decodeName(name);
            Listing inner;
            if (!list(bytes + '/' + name, false, &inner, &error)) {
                m_result.unreadableEntries.append(folder + QLatin1Char('/') + sub +
                                                  QStringLiteral(": ") + reason(error));
                continue;
            }
            if (m_listed.insert(inner.identity).second)
                take(inner, folder, sub + QLatin1Char('/'), system);
        }
    }

    InstalledAppsScanResult result() && { return std::move(m_result); }

private:
    void take(const Listing& listing, const QString& folder, const QString& prefix, bool system) {
        m_result.unreadableEntries.append(listing.unreadable);
        for (const QByteArray& name : listing.entries)
            entry(folder, prefix + QFile::decodeName(name), system);
    }

    void entry(const QString& folder, const QString& relative, bool system) {
        const QString id = DesktopEntries::desktopFileId(relative);
        if (m_ids.contains(id))
            return; // masked by an earlier folder's entry
        if (system && m_leaveOutSystem) {
            m_ids.insert(id);
            return;
        }
        const QString path = folder + QLatin1Char('/') + relative;
        DesktopEntry read;
        QString error;
        switch (m_reader.read(path, &read, &error)) {
        case DesktopEntryReader::Status::unreadable:
            m_result.unreadableEntries.append(error);
            return;
        case DesktopEntryReader::Status::malformed:
            return;
        case DesktopEntryReader::Status::read:
            break;
        }
        m_ids.insert(id);
        if (!read.listed)
            return;
        const QString name =
            read.name.isEmpty() ? QFileInfo(read.executable).fileName() : read.name;
        if (name.isEmpty())
            return;
        if (m_names.contains(name))
            return; // the first entry under a name wins
        m_names.insert(name);
        if (name == dexaroName || name == launchpadName || id == dexaroId)
            return;
        AppListModel app;
        app.appName = name;
        app.appURL = QUrl::fromLocalFile(path).toString();
        app.appImagePath = read.iconFile.isEmpty() ? QString::fromLatin1(placeholderAppImagePath)
                                                   : QUrl::fromLocalFile(read.iconFile).toString();
        m_result.installed.urls.insert(app.appURL);
        m_result.installed.apps.append(std::move(app));
    }

    DesktopEntryReader& m_reader;
    const bool m_leaveOutSystem;
    const QString m_systemFolder;
    QSet<QString> m_ids;
    QSet<QString> m_names;
    std::set<std::pair<dev_t, ino_t>> m_listed;
    InstalledAppsScanResult m_result;
};

} // namespace

QString appImageFile(const QString& appImagePath) {
    const QUrl url(appImagePath);
    if (url.scheme() == QLatin1String("qrc"))
        return QLatin1Char(':') + url.path();
    return url.toLocalFile();
}

InstalledAppsScanResult scanApplicationFolders(DesktopEntryReader& reader,
                                               const QStringList& folders,
                                               const QString& scanDefaultApps,
                                               const QString& systemFolder) {
    Walk walk(reader, scanDefaultApps == QLatin1String("0"), systemFolder);
    for (const QString& folder : folders)
        walk.folder(folder);
    return std::move(walk).result();
}

} // namespace dexaro
