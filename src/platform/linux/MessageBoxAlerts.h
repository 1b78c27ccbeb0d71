#pragma once
// Alerts as modal QMessageBox dialogs with the warning (or critical) icon and the title in
// the window's title bar. A warning from another thread is queued to the main
// thread and not waited for; a question from another thread waits for its answer.
#include "platform/Alerts.h"

namespace dexaro {

class MessageBoxAlerts : public Alerts {
public:
    void warn(const QString& title, const QString& message, const QString& informative) override;
    void critical(const QString& title, const QString& message,
                  const QString& informative) override;
    // With the image :/images/success.svg beside the texts.
    void inform(const QString& title, const QString& message, const QString& informative) override;
    int ask(const QString& title, const QString& message, const QString& informative,
            const QStringList& buttons) override;
};

} // namespace dexaro
