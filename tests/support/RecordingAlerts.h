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
    QStringList buttons;   // empty for a plain warning
    bool critical = false; // shown in the critical style
    bool success = false;  // shown with the "success" image
};

class RecordingAlerts : public Alerts {
public:
    void warn(const QString& title, const QString& message, const QString& informative) override {
        shown.append({title, message, informative, {}});
        if (onShown)
            onShown();
    }
    void critical(const QString& title, const QString& message,
                  const QString& informative) override {
        shown.append({title, message, informative, {}, true});
    }
    void inform(const QString& title, const QString& message, const QString& informative) override {
        shown.append({title, message, informative, {}, false, true});
        if (onShown)
            onShown();
    }
    int ask(const QString& title, const QString& message, const QString& informative,
            const QStringList& buttons) override {
        shown.append({title, message, informative, buttons});
        if (onShown)
            onShown();
        return answer;
    }

    QList<RecordedAlert> shown;
    int answer = 0; // the button ask() presses
    // Runs while an alert is "on screen", as events do during a modal alert.
    std::function<void()> onShown;
};

} // namespace dexaro::test
