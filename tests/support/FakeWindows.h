#pragma once
// A window manager in memory for unit tests: windows appear, move and go when
// the test says so, and its listeners hear of it at once, on the test's
// thread. Frames asked for are answered by answer (by default: granted), and
// heard of as moves, as a real window manager's answers are.
#include "platform/Windows.h"

#include <QHash>
#include <QStringList>
#include <algorithm>
#include <mutex>

namespace dexaro::test {

class FakeWindows : public Windows {
public:
    // The window manager's answer to a frame asked for.
    std::function<QRect(const QRect& wanted, const QRect& current)> answer = [](const QRect& wanted,
                                                                                const QRect&) {
        return wanted;
    };

    // For isOfProcessTree.
    void setParent(qint64 pid, qint64 parent) {
        std::lock_guard lock(m_mutex);
        m_parents.insert(pid, parent);
    }

    // Adds a window; it gets the next id and appearance unless they are set.
    WindowInfo appear(WindowInfo info, const QRect& frame = QRect(10, 10, 300, 200)) {
        {
            std::lock_guard lock(m_mutex);
            if (!info.id)
                info.id = ++m_lastId + 100;
            info.appearance = ++m_lastAppearance;
            m_windows.prepend(Entry{info, frame});
        }
        tell({WindowEvent::Type::appeared, info, frame, false});
        return info;
    }
    void change(const WindowInfo& info) {
        {
            std::lock_guard lock(m_mutex);
            if (Entry* e = find(info.id))
                e->info = info;
        }
        tell({WindowEvent::Type::changed, info, {}, false});
    }
    void move(WindowId id, const QRect& frame) {
        WindowInfo info;
        {
            std::lock_guard lock(m_mutex);
            Entry* e = find(id);
            if (!e)
                return;
            e->frame = frame;
            info = e->info;
        }
        tell({WindowEvent::Type::moved, info, frame, false});
    }
    void remove(WindowId id) {
        WindowInfo info;
        {
            std::lock_guard lock(m_mutex);
            const auto it = std::find_if(m_windows.begin(), m_windows.end(),
                                         [&](const Entry& e) { return e.info.id == id; });
            if (it == m_windows.end())
                return;
            info = it->info;
            m_windows.erase(it);
        }
        tell({WindowEvent::Type::gone, info, {}, false});
    }

    // Virtual desktops: how many, their names, and each window's (0 unless
    // set); calls lists "desktop <id> <n>" and "frame <id>" in the order asked.
    int desktops = 0;
    QStringList names;
    QStringList calls() const {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }

    int setFrameCalls() const {
        std::lock_guard lock(m_mutex);
        return m_setFrames;
    }

    bool isAvailable(bool) override { return true; }
    QList<WindowInfo> windows() override {
        std::lock_guard lock(m_mutex);
        QList<WindowInfo> list;
        for (const Entry& e : m_windows)
            list.append(e.info);
        return list;
    }
    std::optional<WindowInfo> window(WindowId id) override {
        std::lock_guard lock(m_mutex);
        if (Entry* e = find(id))
            return e->info;
        return std::nullopt;
    }
    quint64 appearanceMark() override {
        std::lock_guard lock(m_mutex);
        return m_lastAppearance;
    }
    std::optional<QRect> frame(WindowId id) override {
        std::lock_guard lock(m_mutex);
        if (Entry* e = find(id))
            return e->frame;
        return std::nullopt;
    }
    std::optional<QRect> setFrame(WindowId id, const QRect& wanted) override {
        QRect answered;
        {
            std::lock_guard lock(m_mutex);
            ++m_setFrames;
            m_calls << QStringLiteral("frame %1").arg(id);
            Entry* e = find(id);
            if (!e)
                return std::nullopt;
            answered = answer(wanted, e->frame);
            if (answered == e->frame)
                return answered;
        }
        move(id, answered);
        return answered;
    }
    int current = 0; // the desktop shown
    int desktopCount() override { return desktops; }
    int currentDesktop() override { return current; }
    QStringList desktopNames() override { return names; }
    std::optional<int> desktopOf(WindowId id) override {
        std::lock_guard lock(m_mutex);
        if (Entry* e = find(id))
            return e->desktop;
        return std::nullopt;
    }
    bool moveToDesktop(WindowId id, int desktop) override {
        std::lock_guard lock(m_mutex);
        m_calls << QStringLiteral("desktop %1 %2").arg(id).arg(desktop);
        Entry* e = find(id);
        if (!e || desktop >= desktops || (desktop < 0 && desktop != -2))
            return false;
        e->desktop = desktop;
        return true;
    }
    void setDesktop(WindowId id, int desktop) {
        std::lock_guard lock(m_mutex);
        if (Entry* e = find(id))
            e->desktop = desktop;
    }
    bool close(WindowId id) override { return window(id).has_value(); }
    bool iconify(WindowId id) override { return window(id).has_value(); }
    bool raise(WindowId id) override { return window(id).has_value(); }
    bool activate(WindowId id) override { return window(id).has_value(); }
    bool isOfProcessTree(qint64 pid, qint64 root) override {
        std::lock_guard lock(m_mutex);
        for (int depth = 0; depth < 32 && pid > 0; ++depth, pid = m_parents.value(pid, 0))
            if (pid == root)
                return true;
        return false;
    }
    std::unique_ptr<WindowSubscription> subscribe(Listener listener) override {
        std::lock_guard lock(m_listenersMutex);
        m_listeners.append(std::move(listener));
        const qsizetype index = m_listeners.size() - 1;
        return std::make_unique<Subscription>(*this, index);
    }

private:
    struct Entry {
        WindowInfo info;
        QRect frame;
        int desktop = 0;
    };
    struct Subscription final : WindowSubscription {
        Subscription(FakeWindows& owner, qsizetype index) : owner(owner), index(index) {}
        ~Subscription() override {
            std::lock_guard lock(owner.m_listenersMutex);
            owner.m_listeners[index] = nullptr;
        }
        FakeWindows& owner;
        qsizetype index;
    };

    Entry* find(WindowId id) {
        for (Entry& e : m_windows)
            if (e.info.id == id)
                return &e;
        return nullptr;
    }
    void tell(const WindowEvent& event) {
        std::lock_guard lock(m_listenersMutex);
        for (const Listener& listener : m_listeners)
            if (listener)
                listener(event);
    }

    mutable std::mutex m_mutex;
    QHash<qint64, qint64> m_parents; // pid -> parent
    QList<Entry> m_windows;          // front to back
    WindowId m_lastId = 0;
    quint64 m_lastAppearance = 0;
    int m_setFrames = 0;
    QStringList m_calls;
    std::mutex m_listenersMutex;
    QList<Listener> m_listeners;
};

} // namespace dexaro::test
