#pragma once
// Alerts as modal QMessageBox dialogs with the warning (or critical) icon and the title in
// the window's title bar. A warning from another thread is queued to the main
// thread and not waited for; a question from another thread waits for its answer.
//
// Each box is sized for the primary monitor's work area: wide enough that the
// window manager shows its whole title, its texts wrapped (a list of names
// without spaces included) and, when too long for the area, cut with the whole
// text under "Show Details...", and centred in the area.
#include "platform/Alerts.h"

#include <QRect>

namespace dexaro {

class WorkAreas;

class MessageBoxAlerts : public Alerts {
public:
    explicit MessageBoxAlerts(WorkAreas& workAreas) : m_workAreas(workAreas) {}

    void warn(const QString& title, const QString& message, const QString& informative) override;
    void critical(const QString& title, const QString& message,
                  const QString& informative) override;
    // With the image :/images/success.svg beside the texts.
    void inform(const QString& title, const QString& message, const QString& informative) override;
    int ask(const QString& title, const QString& message, const QString& informative,
            const QStringList& buttons) override;

    // The room a title bar needs besides its text: the window's icon and
    // buttons and the frame, for the common window managers' themes.
    static constexpr int titleBarExtra = 160;

private:
    // The primary monitor's work area in Qt's (logical) pixels.
    QRect area() const;

    WorkAreas& m_workAreas;
};

} // namespace dexaro
