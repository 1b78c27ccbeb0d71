#pragma once
// The spinner shown in place of a row's switch while its workspace is being
// switched on or off: an arc turning once per loop, painted.
#include "activation/ProgressAnimation.h"

#include <QWidget>

namespace dexaro {

class BusySpinner : public QWidget {
    Q_OBJECT
public:
    explicit BusySpinner(QWidget* parent = nullptr);

    ProgressAnimation& animation() { return *m_animation; }
    const ProgressAnimation& animation() const { return *m_animation; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ProgressAnimation* m_animation;
};

} // namespace dexaro
