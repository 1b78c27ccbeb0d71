#pragma once
// The popover that holds one link list under its "+ Add URL" / "+ Add file"
// header, opened and closed by a button of the screen's grid header. It floats
// over the window below that button and stays open while the user works
// elsewhere in the window; it closes by its button, or when the screen closes
// it. Closing it keeps its rows. It fades in when it opens and closes at once.
#include "authoring/FloatingPanel.h"
#include "authoring/LinkListView.h"

#include <QPointer>

class QGraphicsOpacityEffect;
class QPropertyAnimation;
class QPushButton;

namespace dexaro {

class LinkPopover : public FloatingPanel {
    Q_OBJECT
public:
    static constexpr QSize cardSize{340, 420};

    LinkPopover(LinkKind kind, QWidget* parent);

    LinkListView* list() const { return m_list; }
    QPushButton* addButton() const { return m_add; }

    // Opens below anchorButton (centred on it, kept inside the window), or
    // closes when shown.
    void toggle(QWidget* anchorButton);
    bool isShown() const { return !isHidden(); }
    void closePopover();

protected:
    void windowResized() override;

private:
    void place();

    LinkListView* m_list;
    QPushButton* m_add;
    // Enabled only while the panel fades in: a widget drawn through an effect
    // is drawn into an off-screen image first.
    QGraphicsOpacityEffect* m_fade;
    QPropertyAnimation* m_fadeIn;
    QPointer<QWidget> m_anchor;
};

} // namespace dexaro
