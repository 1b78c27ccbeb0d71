#pragma once
// A workspace's start-up choices in the Creator and the Editor: "Switch on
// when Dexaro starts", and, with two or more virtual desktops, the desktop
// shown when the workspace is switched on ("Current desktop": none). A stored
// desktop the window manager no longer has stays chosen, shown as absent.
#include "positioning/PlacementScreens.h"

#include <QWidget>

class QCheckBox;
class QComboBox;

namespace dexaro {

class StartChoiceView : public QWidget {
    Q_OBJECT
public:
    explicit StartChoiceView(QWidget* parent = nullptr);

    // The desktops offered (PlacementScreens::desktops), keeping the choice.
    void setDesktops(const QList<PlacementScreens::Desktop>& desktops);
    void setChoice(bool switchOnAtStart, int startDesktop);
    bool switchOnAtStart() const;
    int startDesktop() const;

    QCheckBox* atStartBox() const { return m_atStart; }
    QComboBox* desktopBox() const { return m_desktop; }

private:
    void fill();

    QList<PlacementScreens::Desktop> m_desktops;
    int m_startDesktop = desktops::current;
    QCheckBox* m_atStart;
    QComboBox* m_desktop;
};

} // namespace dexaro
