#include "platform/linux/SwayHotKeys.h"

#include "platform/KeyboardLayout.h"
#include "platform/linux/SwayIpc.h"

#include <QHash>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QSocketNotifier>
#include <map>
#include <memory>
#include <mutex>
#include <xkbcommon/xkbcommon.h>

namespace dexaro {

namespace {

constexpr auto commandPrefix = "nop dexaro-hotkey ";

// Modifier names as sway's configuration may spell them, each to its canonical name.
QString canonicalModifier(const QString& name) {
    const QString lower = name.toLower();
    if (lower == QLatin1String("mod4") || lower == QLatin1String("super"))
        return QStringLiteral("Mod4");
    if (lower == QLatin1String("mod1") || lower == QLatin1String("alt"))
        return QStringLiteral("Mod1");
    if (lower == QLatin1String("control") || lower == QLatin1String("ctrl"))
        return QStringLiteral("Ctrl");
    if (lower == QLatin1String("shift"))
        return QStringLiteral("Shift");
    return {};
}

} // namespace

QString swayKeySymbol(quint32 keyCode, const QString& layout, const QString& variant) {
    const auto evdev = KeyboardLayout::evdevCode(keyCode);
    if (!evdev)
        return {};
    // One keymap for each layout asked for, kept for the run (and given back
    // at its end).
    struct Unref {
        void operator()(xkb_keymap* keymap) const { xkb_keymap_unref(keymap); }
    };
    static std::mutex mutex;
    static std::map<QString, std::unique_ptr<xkb_keymap, Unref>> keymaps;
    static xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    std::lock_guard lock(mutex);
    const QString key = layout + QLatin1Char(':') + variant;
    auto found = keymaps.find(key);
    if (found == keymaps.end()) {
        const QByteArray layoutName = layout.toUtf8(), variantName = variant.toUtf8();
        xkb_rule_names names{};
        names.layout = layout.isEmpty() ? nullptr : layoutName.constData();
        names.variant = variant.isEmpty() ? nullptr : variantName.constData();
        found = keymaps
                    .emplace(key, context ? xkb_keymap_new_from_names(context, &names,
                                                                      XKB_KEYMAP_COMPILE_NO_FLAGS)
                                          : nullptr)
                    .first;
    }
    xkb_keymap* keymap = found->second.get();
    if (!keymap)
        return {};
    const xkb_keysym_t* syms = nullptr;
    if (xkb_keymap_key_get_syms_by_level(keymap, *evdev + 8, 0, 0, &syms) < 1)
        return {};
    char name[64];
    if (xkb_keysym_get_name(syms[0], name, sizeof name) <= 0)
        return {};
    return QString::fromLatin1(name);
}

namespace {

// A combination as modifiers in one order and the key: "Ctrl+Mod4+38".
struct Combination {
    QStringList modifiers;
    QString key;
};

std::optional<Combination> parseCombination(const QString& text) {
    QStringList parts = text.split(QLatin1Char('+'));
    if (text.endsWith(QLatin1String("++"))) { // the plus key itself
        parts.removeLast();
        parts.last() = QStringLiteral("+");
    }
    Combination combination;
    combination.key = parts.takeLast();
    for (const QString& part : parts) {
        const QString modifier = canonicalModifier(part);
        if (modifier.isEmpty())
            return std::nullopt; // a modifier Dexaro never binds (Mod3, a group)
        combination.modifiers.append(modifier);
    }
    combination.modifiers.sort();
    combination.modifiers.removeDuplicates();
    return combination;
}

class SwayHotKeys final : public HotKeys {
public:
    SwayHotKeys(std::unique_ptr<SwayIpc> requests, std::unique_ptr<SwayIpc> events)
        : m_requests(std::move(requests)), m_events(std::move(events)),
          m_notifier(m_events->fd(), QSocketNotifier::Read) {
        connect(&m_notifier, &QSocketNotifier::activated, this, &SwayHotKeys::takeEvents);
        // Keys are bound by what they type in the layout sway's configuration
        // gives keyboards (XKB's defaults otherwise, as sway takes them).
        if (const auto config = m_requests->request(SwayIpc::getConfig)) {
            const QString text = config->object().value(QStringLiteral("config")).toString();
            static const QRegularExpression layout(QStringLiteral("^\\s*xkb_layout\\s+(\\S+)"),
                                                   QRegularExpression::MultilineOption);
            static const QRegularExpression variant(QStringLiteral("^\\s*xkb_variant\\s+(\\S+)"),
                                                    QRegularExpression::MultilineOption);
            m_layout = layout.match(text).captured(1).section(QLatin1Char(','), 0, 0);
            m_variant = variant.match(text).captured(1).section(QLatin1Char(','), 0, 0);
        }
    }

    ~SwayHotKeys() override {
        for (auto it = m_bindings.cbegin(); it != m_bindings.cend(); ++it)
            run(QStringLiteral("unbindsym %1").arg(it.key()));
    }

    bool isAvailable() const override { return !m_requests->isBroken(); }

    bool registerHotKey(quint32 keyCode, quint32 carbonModifiers, quint32 signature, quint32 id,
                        QString* error) override {
        const QString combination = combinationOf(keyCode, carbonModifiers);
        if (combination.isEmpty()) {
            if (error)
                *error = QStringLiteral("The key types nothing sway can bind in this layout.");
            return false;
        }
        unregisterHotKey(signature, id);
        auto bound = m_bindings.find(combination);
        if (bound != m_bindings.end()) {
            bound->insert({signature, id});
            return true;
        }
        if (isTakenByOthers(keyCode, carbonModifiers)) {
            if (error)
                *error = QStringLiteral("sway's configuration binds this combination already.");
            return false;
        }
        const QString refusal = run(QStringLiteral("bindsym --no-repeat %1 %2%1")
                                        .arg(combination, QLatin1String(commandPrefix)));
        if (!refusal.isEmpty()) {
            if (error)
                *error = QStringLiteral("sway refused the binding: %1").arg(refusal);
            return false;
        }
        m_bindings.insert(combination, {{signature, id}});
        return true;
    }

    void unregisterHotKey(quint32 signature, quint32 id) override {
        for (auto it = m_bindings.begin(); it != m_bindings.end(); ++it) {
            if (!it->remove({signature, id}))
                continue;
            if (it->isEmpty()) {
                run(QStringLiteral("unbindsym %1").arg(it.key()));
                m_bindings.erase(it);
            }
            return;
        }
    }

    bool isTakenByOthers(quint32 keyCode, quint32 carbonModifiers) override {
        const QString combination = combinationOf(keyCode, carbonModifiers);
        if (combination.isEmpty() || m_bindings.contains(combination))
            return false;
        const auto config = m_requests->request(SwayIpc::getConfig);
        if (!config)
            return false;
        const auto evdev = KeyboardLayout::evdevCode(keyCode);
        return configBinds(config->object().value(QStringLiteral("config")).toString(), combination,
                           evdev ? int(*evdev + 8) : 0);
    }

private:
    QString combinationOf(quint32 keyCode, quint32 carbonModifiers) const {
        return swayKeyCombination(keyCode, carbonModifiers, m_layout, m_variant);
    }

    // sway's errors for the command; empty when it was carried out.
    QString run(const QString& command) {
        const auto reply = m_requests->request(SwayIpc::runCommand, command.toUtf8());
        return reply ? SwayIpc::commandErrors(*reply) : QStringLiteral("sway does not answer");
    }

    void takeEvents() {
        // Readable: a whole message waits (sway writes each at once).
        while (auto message = m_events->next(0)) {
            if (message->type != SwayIpc::bindingEvent)
                continue;
            const QString command = QJsonDocument::fromJson(message->payload)
                                        .object()
                                        .value(QStringLiteral("binding"))
                                        .toObject()
                                        .value(QStringLiteral("command"))
                                        .toString();
            if (!command.startsWith(QLatin1String(commandPrefix)))
                continue;
            const auto bound = m_bindings.constFind(command.mid(qstrlen(commandPrefix)));
            if (bound == m_bindings.cend())
                continue;
            for (const auto& [signature, id] : *bound)
                emit pressed(signature, id);
        }
        if (m_events->isBroken()) {
            m_notifier.setEnabled(false);
            qWarning("Dexaro: the connection to sway ended; keyboard shortcuts no longer work");
        }
    }

    std::unique_ptr<SwayIpc> m_requests;
    std::unique_ptr<SwayIpc> m_events;
    QSocketNotifier m_notifier;
    QString m_layout, m_variant;
    QHash<QString, QSet<std::pair<quint32, quint32>>> m_bindings; // by combination
};

class UnboundHotKeys final : public HotKeys {
public:
    explicit UnboundHotKeys(QString desktopName) : m_desktopName(std::move(desktopName)) {}

    bool isAvailable() const override { return false; }
    bool registerHotKey(quint32, quint32, quint32, quint32, QString* error) override {
        if (error)
            *error = QStringLiteral(
                         "%1 lets no application take keyboard shortcuts for itself. Add the "
                         "shortcut in the desktop's keyboard settings instead, with the command: "
                         "dexaro --toggle \"NAME\" (NAME being the workspace's name).")
                         .arg(m_desktopName);
        return false;
    }
    void unregisterHotKey(quint32, quint32) override {}
    bool isTakenByOthers(quint32, quint32) override { return false; }

private:
    QString m_desktopName;
};

} // namespace

QString swayKeyCombination(quint32 keyCode, quint32 carbonModifiers, const QString& layout,
                           const QString& variant) {
    const QString symbol = swayKeySymbol(keyCode, layout, variant);
    if (symbol.isEmpty())
        return {};
    QStringList parts;
    if (carbonModifiers & HotKeys::CarbonControl)
        parts << QStringLiteral("Ctrl");
    if (carbonModifiers & HotKeys::CarbonOption)
        parts << QStringLiteral("Mod1");
    if (carbonModifiers & HotKeys::CarbonCommand)
        parts << QStringLiteral("Mod4");
    if (carbonModifiers & HotKeys::CarbonShift)
        parts << QStringLiteral("Shift");
    parts << symbol;
    return parts.join(QLatin1Char('+'));
}

bool configBinds(const QString& configText, const QString& combination, int keyCode) {
    const auto wanted = parseCombination(combination);
    if (!wanted)
        return false;
    QHash<QString, QString> variables;
    static const QRegularExpression space(QStringLiteral("\\s+"));
    for (QString line : configText.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.endsWith(QLatin1Char('{')))
            line.chop(1); // bindsym ... { on one line is a block of bindings: skipped
        QStringList words = line.split(space, Qt::SkipEmptyParts);
        if (words.size() >= 3 && words[0] == QLatin1String("set") &&
            words[1].startsWith(QLatin1Char('$'))) {
            variables.insert(words[1], words.mid(2).join(QLatin1Char(' ')));
            continue;
        }
        if (words.size() < 3 ||
            (words[0] != QLatin1String("bindsym") && words[0] != QLatin1String("bindcode")))
            continue;
        const bool byCode = words[0] == QLatin1String("bindcode");
        int at = 1;
        while (at < words.size() && words[at].startsWith(QLatin1String("--")))
            ++at;
        if (at >= words.size())
            continue;
        QString text = words[at];
        for (auto it = variables.cbegin(); it != variables.cend(); ++it)
            text.replace(it.key(), it.value());
        const auto bound = parseCombination(text);
        if (!bound || bound->modifiers != wanted->modifiers)
            continue;
        if (byCode ? bound->key == QString::number(keyCode)
                   : bound->key.compare(wanted->key, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

std::unique_ptr<HotKeys> makeSwayHotKeys(const QString& socketPath) {
    QString error;
    auto requests = SwayIpc::connect(socketPath, &error);
    auto events = requests ? SwayIpc::connect(socketPath, &error) : nullptr;
    if (!events) {
        qWarning("Dexaro: %s", qPrintable(error));
        return nullptr;
    }
    const auto subscribed = events->request(SwayIpc::subscribe, R"(["binding"])");
    if (!subscribed || !subscribed->object().value(QStringLiteral("success")).toBool())
        return nullptr;
    return std::make_unique<SwayHotKeys>(std::move(requests), std::move(events));
}

std::unique_ptr<HotKeys> makeUnboundHotKeys(const QString& desktopName) {
    return std::make_unique<UnboundHotKeys>(desktopName);
}

} // namespace dexaro
