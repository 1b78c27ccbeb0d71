#include "platform/linux/GnomeShellHotKeys.h"

#include "platform/KeyboardLayout.h"
#include "platform/linux/GnomeShellExtension.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QHash>
#include <QList>

#include <chrono>
#include <optional>

namespace dexaro {
namespace {

const QString shellService = QStringLiteral("org.gnome.Shell");
const QString windowsPath = QStringLiteral("/org/dexaro/ShellWindows");
const QString windowsInterface = QStringLiteral("org.dexaro.ShellWindows");
constexpr int callTimeoutMs = 1000;

QString takenText() {
    return QCoreApplication::translate("HotKeys",
                                       "Another application already uses this key combination.");
}

QString unknownKeyText() {
    return QCoreApplication::translate("HotKeys", "This key cannot be used for a hot key.");
}

// The shell's notation; the key by its keycode (evdev + 8), so that the
// combination stays on the same key whatever the layout.
std::optional<QString> acceleratorOf(quint32 keyCode, quint32 carbon) {
    const auto evdev = KeyboardLayout::evdevCode(keyCode);
    if (!evdev || *evdev + 8 > 255)
        return std::nullopt;
    QString accelerator;
    if (carbon & HotKeys::CarbonControl)
        accelerator += QStringLiteral("<Control>");
    if (carbon & HotKeys::CarbonOption)
        accelerator += QStringLiteral("<Alt>");
    if (carbon & HotKeys::CarbonShift)
        accelerator += QStringLiteral("<Shift>");
    if (carbon & HotKeys::CarbonCommand)
        accelerator += QStringLiteral("<Super>");
    return accelerator + QStringLiteral("0x%1").arg(*evdev + 8, 2, 16, QLatin1Char('0'));
}

quint64 nameOf(quint32 signature, quint32 id) {
    return (quint64(signature) << 32) | id;
}

class GnomeShellHotKeys final : public HotKeys {
    Q_OBJECT
public:
    GnomeShellHotKeys() {
        QDBusConnection::sessionBus().connect(shellService, windowsPath, windowsInterface,
                                              QStringLiteral("AcceleratorActivated"), this,
                                              SLOT(activated(uint)));
    }

    ~GnomeShellHotKeys() override {
        QDBusConnection::sessionBus().disconnect(shellService, windowsPath, windowsInterface,
                                                 QStringLiteral("AcceleratorActivated"), this,
                                                 SLOT(activated(uint)));
        for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it)
            ungrab(it.value());
    }

    // Asked of the shell at most every few seconds: the answer changes only
    // when the extension is switched on or off.
    bool isAvailable() const override {
        const auto now = std::chrono::steady_clock::now();
        if (!m_checked || now - *m_checked >= std::chrono::seconds(3)) {
            m_available = gnomeshell::status(callTimeoutMs).state == gnomeshell::State::running;
            m_checked = now;
        }
        return m_available;
    }

    bool registerHotKey(quint32 keyCode, quint32 carbonModifiers, quint32 signature, quint32 id,
                        QString* error) override {
        const auto accelerator = acceleratorOf(keyCode, carbonModifiers);
        if (!accelerator) {
            if (error)
                *error = unknownKeyText();
            return false;
        }
        const quint64 name = nameOf(signature, id);
        unregisterName(name);
        if (!m_actions.contains(*accelerator)) {
            QString why;
            const uint action = grab(*accelerator, &why);
            if (action == 0) {
                if (error)
                    *error = why;
                return false;
            }
            m_actions.insert(*accelerator, action);
        }
        m_owners[*accelerator].append(name);
        m_accelerators.insert(name, *accelerator);
        return true;
    }

    void unregisterHotKey(quint32 signature, quint32 id) override {
        unregisterName(nameOf(signature, id));
    }

    bool isTakenByOthers(quint32 keyCode, quint32 carbonModifiers) override {
        const auto accelerator = acceleratorOf(keyCode, carbonModifiers);
        if (!accelerator || m_actions.contains(*accelerator))
            return false;
        QString why;
        const uint action = grab(*accelerator, &why);
        if (action == 0)
            return why == takenText();
        ungrab(action);
        return false;
    }

private slots:
    void activated(uint action) {
        for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it) {
            if (it.value() != action)
                continue;
            // A copy: a receiver may register or unregister.
            const QList<quint64> names = m_owners.value(it.key());
            for (quint64 name : names)
                emit pressed(quint32(name >> 32), quint32(name));
            return;
        }
    }

private:
    static QDBusMessage call(const QString& method) {
        return QDBusMessage::createMethodCall(shellService, windowsPath, windowsInterface, method);
    }

    // The shell's action for the accelerator; 0 and why when it is refused.
    uint grab(const QString& accelerator, QString* why) {
        QDBusMessage message = call(QStringLiteral("GrabAccelerator"));
        message << accelerator;
        const QDBusReply<uint> reply =
            QDBusConnection::sessionBus().call(message, QDBus::Block, callTimeoutMs);
        if (!reply.isValid()) {
            const QString reason = gnomeshell::explain(gnomeshell::status(callTimeoutMs));
            *why =
                reason.isEmpty()
                    ? QCoreApplication::translate("HotKeys", "GNOME Shell did not answer in time.")
                    : reason;
            return 0;
        }
        if (reply.value() == 0)
            *why = takenText();
        return reply.value();
    }

    void ungrab(uint action) {
        QDBusMessage message = call(QStringLiteral("UngrabAccelerator"));
        message << action;
        QDBusConnection::sessionBus().call(message, QDBus::Block, callTimeoutMs);
    }

    void unregisterName(quint64 name) {
        const auto it = m_accelerators.find(name);
        if (it == m_accelerators.end())
            return;
        const QString accelerator = it.value();
        m_accelerators.erase(it);
        QList<quint64>& owners = m_owners[accelerator];
        owners.removeAll(name);
        if (owners.isEmpty()) {
            m_owners.remove(accelerator);
            ungrab(m_actions.take(accelerator));
        }
    }

    mutable std::optional<std::chrono::steady_clock::time_point> m_checked;
    mutable bool m_available = false;
    QHash<QString, uint> m_actions;          // accelerator -> the shell's action
    QHash<QString, QList<quint64>> m_owners; // accelerator -> names registered
    QHash<quint64, QString> m_accelerators;  // name -> accelerator
};

} // namespace

std::unique_ptr<HotKeys> makeGnomeShellHotKeys() {
    return std::make_unique<GnomeShellHotKeys>();
}

} // namespace dexaro

#include "GnomeShellHotKeys.moc"
