#pragma once
// The Editor's empty state while no workspace is selected: an open box with
// three tiles floating above it, looping, and a line that says what to do.
#include <QWidget>

class QVariantAnimation;

namespace dexaro {

class WSEmptyStateView : public QWidget {
    Q_OBJECT
public:
    explicit WSEmptyStateView(QWidget* parent = nullptr);

    // Plays the loop from the start at speed 1.
    void play();
    bool isPlaying() const;

    static QString caption();

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QVariantAnimation* m_animation;
    qreal m_phase = 0;
};

} // namespace dexaro
