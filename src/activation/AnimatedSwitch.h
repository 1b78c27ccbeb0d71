#pragma once
// A row's on/off switch, painted. Its progress runs 0 (off) -> 0.5 (on) ->
// 1.0 (off again after switching off). It is a checkable button for assistive
// tools: named after its workspace, checked while on, described "Busy" while
// its workspace is being switched. Clicking (or Space) emits clicked() and
// leaves the checked state alone: the owner decides what the click does.
#include "style/ProgressAnimation.h"

#include <QAbstractButton>

namespace dexaro {

class AnimatedSwitch : public QAbstractButton {
    Q_OBJECT
public:
    explicit AnimatedSwitch(QWidget* parent = nullptr);

    ProgressAnimation& animation() { return *m_animation; }
    const ProgressAnimation& animation() const { return *m_animation; }

    void setBusy(bool busy);
    bool isBusy() const { return m_busy; }

    QSize sizeHint() const override { return {60, 25}; }

    // How far the knob is towards "on" for a progress: 0 at 0 and 1, 1 at 0.5.
    static qreal onness(qreal progress);

protected:
    void paintEvent(QPaintEvent* event) override;
    void nextCheckState() override {}

private:
    ProgressAnimation* m_animation;
    bool m_busy = false;
};

} // namespace dexaro
