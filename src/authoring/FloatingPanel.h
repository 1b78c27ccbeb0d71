#pragma once
// A panel that floats over its window's content: a child widget of the window,
// raised above its siblings, painted as a rounded card in the popover colours
// with a hairline frame and a soft shadow. Being a child, it never becomes a
// window of its own, so it neither takes the window's activation nor closes
// when the user clicks elsewhere.
//
// Until it is first shown it stays a hidden child of the widget it was made
// for (its owner); showing it moves it into the window of its anchor. Once
// moved, it is deleted with its owner still.
#include <QFrame>
#include <QPointer>

namespace dexaro {

class FloatingPanel : public QFrame {
    Q_OBJECT
public:
    // Room around the card for its shadow.
    static constexpr int shadowMargin = 10;

    explicit FloatingPanel(QWidget* owner);

    // The card, without its shadow, in the parent's coordinates.
    QRect cardGeometry() const;

    // Where a card of size goes next to anchor, both in the coordinates of an
    // area (the window) it is kept inside; its top-left corner wins when the
    // card is larger than the area.
    static QRect keptInside(const QRect& card, const QRect& area);

protected:
    // Moves the panel into anchor's window (above every other child) with its
    // card at cardInWindow, kept inside the window.
    void floatOver(QWidget* anchor, const QRect& cardInWindow);
    // anchor's rectangle in the coordinates of its window.
    static QRect rectInWindow(const QWidget* anchor);
    // Called when the window the panel floats in changes size while shown.
    virtual void windowResized() {}

    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<QWidget> m_window;
};

} // namespace dexaro
