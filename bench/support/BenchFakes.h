#pragma once
// Stand-ins for the services a benchmark must not let show or write anything.
#include "platform/Alerts.h"
#include "platform/LoginItem.h"

namespace dexaro::bench {

class SilentAlerts : public Alerts {
public:
    void warn(const QString&, const QString&, const QString&) override {}
    int ask(const QString&, const QString&, const QString&, const QStringList&) override {
        return 0;
    }
};

class NoLoginItem : public LoginItem {
public:
    bool setEnabled(const QString&, bool, QString*) override { return true; }
    bool isEnabled(const QString&) const override { return false; }
};

} // namespace dexaro::bench
