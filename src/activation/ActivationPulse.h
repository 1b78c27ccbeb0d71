#pragma once
// The indicator of a switched-on workspace: a green dot sending out a fading
// ring, once per loop, painted.
#include "style/LoopingIndicator.h"

namespace dexaro {

class ActivationPulse : public LoopingIndicator {
    Q_OBJECT
public:
    explicit ActivationPulse(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace dexaro
