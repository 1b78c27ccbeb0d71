#include "style/ProgressAnimation.h"

#include <QEvent>
#include <QWidget>
#include <cmath>

namespace dexaro {

ProgressAnimation::ProgressAnimation(QWidget* owner, std::chrono::milliseconds fullDuration)
    : QObject(owner), m_owner(owner), m_fullDuration(fullDuration) {
    m_animation.setEasingCurve(QEasingCurve::InOutQuad);
    connect(&m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_progress = value.toReal();
        m_owner->update();
        emit progressChanged(m_progress);
    });
    connect(&m_animation, &QAbstractAnimation::finished, this, [this] {
        if (!m_looping)
            complete();
    });
    owner->installEventFilter(this);
}

void ProgressAnimation::play(qreal from, qreal to, std::function<void()> completion) {
    m_animation.stop();
    m_from = from;
    m_to = to;
    m_completion = std::move(completion);
    m_playing = true;
    setCurrentProgress(from);
    if (m_owner->isVisible())
        start();
    else if (!m_looping)
        finishNow();
    // A loop asked for while hidden starts when the owner shows.
}

void ProgressAnimation::start() {
    const double span = std::abs(m_to - m_from);
    const auto ms = static_cast<int>(m_fullDuration.count() * span / std::max(m_speed, 0.01));
    m_animation.setStartValue(m_from);
    m_animation.setEndValue(m_to);
    m_animation.setDuration(std::max(ms, 1));
    m_animation.setLoopCount(m_looping ? -1 : 1);
    m_animation.setEasingCurve(m_looping ? QEasingCurve::Linear : QEasingCurve::InOutQuad);
    m_animation.start();
}

void ProgressAnimation::finish() {
    if (m_playing && !m_looping)
        finishNow();
}

void ProgressAnimation::stop() {
    m_animation.stop();
    m_playing = false;
    m_completion = nullptr;
}

void ProgressAnimation::setCurrentProgress(qreal progress) {
    if (m_progress == progress)
        return;
    m_progress = progress;
    m_owner->update();
    emit progressChanged(m_progress);
}

void ProgressAnimation::setSpeed(qreal speed) {
    m_speed = speed > 0 ? speed : 1;
}

void ProgressAnimation::finishNow() {
    m_animation.stop();
    setCurrentProgress(m_to);
    complete();
}

void ProgressAnimation::complete() {
    m_playing = false;
    if (auto completion = std::exchange(m_completion, nullptr))
        completion();
}

bool ProgressAnimation::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_owner || !m_playing)
        return false;
    if (event->type() == QEvent::Hide) {
        if (!m_looping)
            finishNow();
        else if (m_animation.state() == QAbstractAnimation::Running)
            m_animation.pause();
    } else if (event->type() == QEvent::Show) {
        if (m_animation.state() == QAbstractAnimation::Paused)
            m_animation.resume();
        else if (m_animation.state() == QAbstractAnimation::Stopped)
            start();
    }
    return false;
}

} // namespace dexaro
