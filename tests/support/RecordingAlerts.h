#pragma once
// An Alerts that records what would have been shown, and answers questions
// with a preset button.
#include "platform/Alerts.h"

#include <QList>
#include <functional>

namespace dexaro::test {

struct RecordedAlert {
    QString title;
    QString message;
    QString informative;
    QStringList buttons;  // empty for a plain warning
    bool success = false; // shown with the "success" image
};

class RecordingAlerts : public Alerts {
public:
    void warn(const QString& title, const QString& message, const QString& informative) override {
        record({title, message, informative, {}});
    }
    void inform(const QString& title, const QString& message, const QString& informative) override {
        record({title, message, informative, {}, true});
    }
    int ask(const QString& title, const QString& message, const QString& informative,
            const QStringList& buttons) override {
        record({title, message, informative, buttons});
        return answer;
    }

    QList<RecordedAlert> shown;
    int answer = 0; // the button ask() presses
    // Runs while an alert is "on screen", as events do during a modal alert.
    std::function<void()> onShown;

private:
    void record(const RecordedAlert& alert) {
        shown.append(alert);
        if (onShown)
            onShown();
    }
};

} // namespace dexaro::test
