#pragma once
// The indicator of a switched-on workspace: a green dot sending out a fading
// ring, once per loop, painted.
#include "activation/ProgressAnimation.h"

#include <QWidget>

namespace dexaro {

class ActivationPulse : public QWidget {
    Q_OBJECT
public:
    explicit ActivationPulse(QWidget* parent = nullptr);

    ProgressAnimation& animation() { return *m_animation; }
    const ProgressAnimation& animation() const { return *m_animation; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ProgressAnimation* m_animation;
};

} // namespace dexaro
