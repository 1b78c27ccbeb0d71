#pragma once
// Fakes of the shell's platform services (login item, session bus, status
// item) that record what they were asked, for the unit tests.
#include "platform/LoginItem.h"
#include "platform/SessionBus.h"
#include "platform/StatusItem.h"

#include <QSet>
#include <QWidget>
#include <QWindow>
#include <memory>

namespace dexaro::test {

class FakeLoginItem : public LoginItem {
public:
    bool setEnabled(const QString& identifier, bool enabled, QString* error = nullptr) override {
        calls.append({identifier, enabled});
        if (refuse) {
            if (error)
                *error = QStringLiteral("autostart folder is read-only");
            return false;
        }
        if (enabled)
            enabledItems.insert(identifier);
        else
            enabledItems.remove(identifier);
        return true;
    }
    bool isEnabled(const QString& identifier) const override {
        return enabledItems.contains(identifier);
    }
    QList<std::pair<QString, bool>> calls;
    QSet<QString> enabledItems;
    bool refuse = false;
};

class FakeSessionBus : public SessionBus {
public:
    bool registerName(const QString& name, QString* = nullptr) override {
        if (ownedByOthers.contains(name))
            return false;
        registered.append(name);
        return true;
    }
    bool isNameOwned(const QString& name) override {
        return ownedByOthers.contains(name) || registered.contains(name);
    }
    bool postNotification(const QString&, const QString&) override { return true; }
    bool subscribe(const QString& name) override {
        subscribed.append(name);
        return true;
    }
    // Delivers a notification as the bus would.
    void deliver(const QString& name, const QString& object) {
        if (subscribed.contains(name))
            emit notificationReceived(name, object);
    }

    QSet<QString> ownedByOthers;
    QStringList registered;
    QStringList subscribed;
};

// A status item drawn in a small window of its own, as an XEmbed tray icon is.
class FakeStatusItem : public StatusItem {
public:
    FakeStatusItem() : button(std::make_unique<QWidget>()) { button->setGeometry(700, 0, 24, 24); }
    void setImage(const QIcon&) override {}
    void setToolTip(const QString&) override {}
    void setMenu(QMenu*) override {}
    void setVisible(bool visible) override { button->setVisible(visible); }
    bool isAvailable() const override { return available; }
    QRect iconGeometry() const override { return placementPending ? QRect() : button->geometry(); }
    bool isIconPlacementPending() const override { return placementPending; }
    // The tray takes the icon in and puts it there.
    void place(const QRect& geometry) {
        placementPending = false;
        button->setGeometry(geometry);
        emit iconGeometryChanged();
    }
    bool ownsWindow(const QWindow* window) const override {
        return window && window == button->windowHandle();
    }
    bool isDrawnByHost() const override { return drawnByHost; }
    void click() { emit clicked(); }

    std::unique_ptr<QWidget> button;
    bool placementPending = false;
    bool drawnByHost = false;
    bool available = true; // a tray host is there
};

} // namespace dexaro::test
