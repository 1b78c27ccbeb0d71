#pragma once
// One row of the popover's workspace list: activity indicator, the workspace's
// name and its switch. The list creates rows for what is scrolled into view and
// reuses them; everything a row shows comes from the list's records, so a row
// can be dropped and made again at any time.
#include "activation/ItemStateEnum.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

class QLabel;

namespace dexaro {

class ActivationPulse;
class AnimatedSwitch;
class BusySpinner;
class StatusBarPopoverCollectionView;
struct WSListModel;

class StatusBarPopoverCollectionViewItem : public QWidget {
    Q_OBJECT
public:
    explicit StatusBarPopoverCollectionViewItem(QWidget* parent = nullptr);

    int itemIndex = -1;
    ItemStateEnum state = ItemStateEnum::inactive;
    QPointer<StatusBarPopoverCollectionView> statusBarPopoverCollectionView;
    QString wsID = QStringLiteral("0");
    QStringList wsAppURLs;
    QStringList wsURLLinkAdresses;
    QStringList wsFileURLLinkAdresses;

    // Takes the row's texts and lists from the workspace.
    void configure(int index, const WSListModel& workspace);

    // Shows the look of `state` and remembers the list.
    void applyItemState(StatusBarPopoverCollectionView* list);
    void showSwitchedOnLook();
    void showSwitchedOffLook();
    void showBusyLook();
    void endBusyLook();
    // The pulsing indicator in place of the dot, and back.
    void startActivationIndicator();
    void stopActivationIndicator();

    // The switch was clicked.
    void handleWSToggleSwitchFromStatusBar();
    void toggleWorkspace(bool fromStatusBar);

    AnimatedSwitch* wsLauncherToggle() const { return m_toggle; }
    BusySpinner* spinnerIndicator() const { return m_spinner; }
    ActivationPulse* wsActivationIndicatorAnimationView() const { return m_pulse; }
    QWidget* wsActivationIndicatorView() const { return m_dot; }
    QLabel* wsNameLabel() const { return m_label; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void applyColors();

    QWidget* m_dot;
    ActivationPulse* m_pulse;
    QLabel* m_label;
    AnimatedSwitch* m_toggle;
    BusySpinner* m_spinner;
};

} // namespace dexaro
