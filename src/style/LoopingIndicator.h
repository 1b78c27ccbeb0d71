#pragma once
// A small painted view that one looping animation drives: the base of a row's
// busy spinner and activation pulse. Clicks go through it to the row.
#include "style/ProgressAnimation.h"

#include <QWidget>
#include <chrono>

namespace dexaro {

class LoopingIndicator : public QWidget {
public:
    ProgressAnimation& animation() { return *m_animation; }
    const ProgressAnimation& animation() const { return *m_animation; }

protected:
    LoopingIndicator(std::chrono::milliseconds loop, QWidget* parent)
        : QWidget(parent), m_animation(new ProgressAnimation(this, loop)) {
        m_animation->setLooping(true);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

private:
    ProgressAnimation* m_animation;
};

} // namespace dexaro
