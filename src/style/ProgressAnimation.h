#pragma once
// Drives a painted control through its progress (0 to 1) with Qt's animation
// framework: play from one progress to another once (with a completion) or in
// a loop, stop, set the progress, speed. The owner repaints on every step.
//
// Nothing ticks while the owner is not visible, so that a hidden popover never
// wakes the process: a loop pauses when the owner hides and resumes when it
// shows; a single play asked for or under way while hidden jumps to its end
// and completes at once.
#include <QObject>
#include <QPointer>
#include <QVariantAnimation>
#include <chrono>
#include <functional>

class QWidget;

namespace dexaro {

class ProgressAnimation : public QObject {
    Q_OBJECT
public:
    // fullDuration: from progress 0 to 1 at speed 1.
    ProgressAnimation(QWidget* owner, std::chrono::milliseconds fullDuration);

    // Plays from one progress to the other. Once: the completion runs when the
    // end is reached (not when stopped). Looping: it starts over from `from`
    // at every end and never completes.
    void play(qreal from, qreal to, std::function<void()> completion = {});
    // A single play under way jumps to its end and completes now.
    void finish();
    // Stops where it stands; a pending completion is dropped.
    void stop();

    qreal currentProgress() const { return m_progress; }
    void setCurrentProgress(qreal progress);

    qreal speed() const { return m_speed; }
    void setSpeed(qreal speed);

    bool isLooping() const { return m_looping; }
    void setLooping(bool looping) { m_looping = looping; }

    // Asked to play and not yet at its end (also while paused by hiding).
    bool isPlaying() const { return m_playing; }
    // Its timer runs now.
    bool isTicking() const { return m_animation.state() == QAbstractAnimation::Running; }

signals:
    void progressChanged(qreal progress);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void start();
    void finishNow();
    void complete();

    QWidget* m_owner;
    QVariantAnimation m_animation;
    std::chrono::milliseconds m_fullDuration;
    qreal m_progress = 0;
    qreal m_from = 0;
    qreal m_to = 1;
    qreal m_speed = 1;
    bool m_looping = false;
    bool m_playing = false;
    std::function<void()> m_completion;
};

} // namespace dexaro
