#pragma once
// The status item's popover: a frameless top-level window holding one content
// view, shown next to an anchor rectangle (the status item's icon, or the
// mouse pointer when the tray does not tell where its icon is) and kept inside
// the work area of the screen under that anchor.
//
// It bypasses the window manager like a menu does, so it is neither decorated
// nor listed in task bars, and it takes the keyboard focus itself when shown:
// its focus loss is what tells that the user went to another application.
// Escape closes it.
#include <QPointer>
#include <QWidget>
#include <functional>

namespace dexaro {

class Popover : public QWidget {
    Q_OBJECT
public:
    explicit Popover(QWidget* parent = nullptr);

    void setContentView(QWidget* view);
    // Where the popover may go around a point (the work area of the monitor
    // there); the whole screen there when none is set.
    void setWorkAreaSource(std::function<QRect(const QPoint&)> source) {
        m_workAreaAt = std::move(source);
    }
    QWidget* contentView() const { return m_content; }

    bool isShown() const { return isVisible(); }
    // Shows the popover next to anchor (global coordinates); an empty anchor
    // means "at the mouse pointer". Nothing happens when it is shown already.
    void showRelativeTo(const QRect& anchor);
    // Moves a shown popover next to a new anchor (the icon moved).
    void reanchor(const QRect& anchor);
    // Closes it; willClose comes first. Nothing happens when it is not shown.
    void performClose();

    // Where a popover of that size goes: centred on the anchor, below it when
    // the anchor lies in the upper half of the work area, above it otherwise,
    // then moved inside the work area (its top-left corner wins when it is
    // larger than the work area).
    static QRect placement(const QSize& size, const QRect& anchor, const QRect& workArea);

signals:
    void willClose();

protected:
    QRect placementFor(const QRect& anchor) const;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QPointer<QWidget> m_content;
    std::function<QRect(const QPoint&)> m_workAreaAt;
};

} // namespace dexaro
