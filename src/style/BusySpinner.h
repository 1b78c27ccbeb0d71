#pragma once
// The spinner shown in place of a row's switch while its workspace is being
// switched on or off: an arc turning once per loop, painted.
#include "style/LoopingIndicator.h"

namespace dexaro {

class BusySpinner : public LoopingIndicator {
    Q_OBJECT
public:
    explicit BusySpinner(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace dexaro
