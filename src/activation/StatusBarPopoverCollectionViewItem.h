#pragma once
// One row of the popover's workspace list: activity indicator, the workspace's
// name and its switch. The list creates rows for what is scrolled into view and
// reuses them; everything a row shows it is told, so a row can be dropped and
// made again at any time. A click on its switch is only passed on.
#include "activation/ItemStateEnum.h"

#include <QString>
#include <QWidget>

class QLabel;

namespace dexaro {

class ActivationPulse;
class AnimatedSwitch;
class BusySpinner;
struct WSListModel;

class StatusBarPopoverCollectionViewItem : public QWidget {
    Q_OBJECT
public:
    explicit StatusBarPopoverCollectionViewItem(QWidget* parent = nullptr);

    // Shows the workspace at that position of the list.
    void configure(int index, const WSListModel& workspace);
    int itemIndex() const { return m_index; }
    const QString& wsID() const { return m_wsID; }

    // Shows the look of the state.
    void applyItemState(ItemStateEnum state);
    void showSwitchedOnLook();
    void showSwitchedOffLook();
    void showBusyLook();
    void endBusyLook();
    // The pulsing indicator in place of the dot, and back.
    void startActivationIndicator();
    void stopActivationIndicator();

    // The switch was clicked: asks for the workspace to be switched.
    void handleWSToggleSwitchFromStatusBar();

    AnimatedSwitch* wsLauncherToggle() const { return m_toggle; }
    BusySpinner* spinnerIndicator() const { return m_spinner; }
    ActivationPulse* wsActivationIndicatorAnimationView() const { return m_pulse; }
    QWidget* wsActivationIndicatorView() const { return m_dot; }
    QLabel* wsNameLabel() const { return m_label; }

signals:
    void toggleRequested(const QString& wsID);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void applyColors();

    int m_index = -1;
    QString m_wsID;
    QString m_name; // as shown, before it is fitted to the label
    QWidget* m_dot;
    ActivationPulse* m_pulse;
    QLabel* m_label;
    AnimatedSwitch* m_toggle;
    BusySpinner* m_spinner;
};

} // namespace dexaro
