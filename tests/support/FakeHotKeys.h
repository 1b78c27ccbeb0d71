#pragma once
// A HotKeys that records registrations instead of grabbing keys. Combinations
// listed in takenByOthers are refused as another application's; press()
// reports a press of a registered combination the way the platform does.
#include "platform/HotKeys.h"

#include <QList>
#include <QSet>
#include <utility>

namespace dexaro::test {

class FakeHotKeys : public HotKeys {
public:
    struct Registration {
        quint32 keyCode;
        quint32 modifiers;
        quint32 signature;
        quint32 id;
    };

    bool isAvailable() const override { return available; }
    bool registerHotKey(quint32 keyCode, quint32 modifiers, quint32 signature, quint32 id,
                        QString* error) override {
        if (!available || isTakenByOthers(keyCode, modifiers)) {
            if (error)
                *error = available ? QStringLiteral("taken") : QStringLiteral("no hot keys here");
            return false;
        }
        registered.append({keyCode, modifiers, signature, id});
        return true;
    }
    void unregisterHotKey(quint32 signature, quint32 id) override {
        registered.removeIf(
            [&](const Registration& r) { return r.signature == signature && r.id == id; });
    }
    bool isTakenByOthers(quint32 keyCode, quint32 modifiers) override {
        return takenByOthers.contains({keyCode, modifiers});
    }

    // Reports a press of every registration of the combination; false when none.
    bool press(quint32 keyCode, quint32 modifiers) {
        bool any = false;
        for (const Registration& r : QList<Registration>(registered)) {
            if (r.keyCode == keyCode && r.modifiers == modifiers) {
                emit pressed(r.signature, r.id);
                any = true;
            }
        }
        return any;
    }
    int countFor(quint32 keyCode, quint32 modifiers) const {
        int n = 0;
        for (const Registration& r : registered)
            n += (r.keyCode == keyCode && r.modifiers == modifiers);
        return n;
    }

    QList<Registration> registered;
    QSet<std::pair<quint32, quint32>> takenByOthers;
    bool available = true;
};

} // namespace dexaro::test
