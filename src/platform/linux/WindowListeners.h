#pragma once
// The listeners of a window layer (Windows::subscribe), as every backend keeps
// them: a subscription takes its listener out when it goes, and since the
// listeners run under the same lock, none runs after that.
#include "platform/Windows.h"

#include <list>
#include <memory>
#include <mutex>
#include <utility>

namespace dexaro {

class WindowListeners {
public:
    std::unique_ptr<WindowSubscription> add(Windows::Listener listener) {
        std::lock_guard lock(m_mutex);
        const quint64 key = ++m_next;
        m_listeners.emplace_back(key, std::move(listener));
        return std::make_unique<Subscription>(*this, key);
    }

    // Every listener hears of each event, in order.
    template <typename Events> void notify(const Events& events) {
        std::lock_guard lock(m_mutex);
        for (const WindowEvent& event : events)
            for (const auto& entry : m_listeners)
                entry.second(event);
    }
    void notify(const WindowEvent& event) { notify(std::initializer_list<WindowEvent>{event}); }

private:
    struct Subscription final : WindowSubscription {
        Subscription(WindowListeners& owner, quint64 key) : owner(owner), key(key) {}
        ~Subscription() override {
            std::lock_guard lock(owner.m_mutex);
            owner.m_listeners.remove_if([this](const auto& entry) { return entry.first == key; });
        }
        WindowListeners& owner;
        quint64 key;
    };

    std::mutex m_mutex; // held while listeners run
    std::list<std::pair<quint64, Windows::Listener>> m_listeners;
    quint64 m_next = 0;
};

} // namespace dexaro
