#pragma once
// An application entry read for launching: the XDG desktop entry behind a
// file:// URL, checked so that every reason it cannot be launched is told in
// words, and the rule for recognising processes that run it.
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

typedef struct _GDesktopAppInfo GDesktopAppInfo;

namespace dexaro {

// What identifies the processes of an entry.
struct EntryIdentity {
    QString path;               // the entry's file, as GIO_LAUNCHED_DESKTOP_FILE names it
    QString program;            // canonical path of the Exec program; empty when unknown
    QStringList fixedArguments; // Exec arguments without field codes, in order

    // The entry's identity from its URL alone (for an entry that no longer
    // loads, only processes started from the file are recognised).
    static EntryIdentity fromEntry(const QString& entry);

    // Whether the process was started from this entry (GIO_LAUNCHED_DESKTOP_FILE
    // and its _PID name it), or runs the entry's program with the entry's own
    // arguments. The arguments matter: an entry whose program is an interpreter
    // (python3 app.py) must not claim every python3 process.
    bool matches(qint64 pid) const;
    // Whether the process, or the process it descends from, was started from
    // this entry (GIO_LAUNCHED_DESKTOP_FILE in its environment names it).
    bool launchedFrom(qint64 pid) const;
};

class ApplicationEntry {
public:
    // Reads the entry; nullopt with a readable error when it is not the
    // file:// URL of a launchable Type=Application desktop entry.
    static std::optional<ApplicationEntry> load(const QString& entry, QString* error);

    ~ApplicationEntry();
    ApplicationEntry(ApplicationEntry&&) noexcept;
    ApplicationEntry& operator=(ApplicationEntry&&) noexcept;

    const QString& entry() const { return m_entry; }
    const QString& name() const { return m_name; } // localized Name
    const QString& wmClass() const { return m_wmClass; }
    // The desktop-file id without ".desktop", and the file name of the Exec
    // program as written: names the application's windows may carry.
    const QString& desktopId() const { return m_desktopId; }
    const QString& programName() const { return m_programName; }
    bool isDBusActivatable() const { return m_dbusActivatable; }
    const EntryIdentity& identity() const { return m_identity; }
    GDesktopAppInfo* info() const { return m_info.get(); }

private:
    struct Unref {
        void operator()(GDesktopAppInfo* info) const;
    };
    ApplicationEntry() = default;

    QString m_entry;
    QString m_name;
    QString m_wmClass;
    QString m_desktopId;
    QString m_programName;
    bool m_dbusActivatable = false;
    EntryIdentity m_identity;
    std::unique_ptr<GDesktopAppInfo, Unref> m_info;
};

} // namespace dexaro
