#pragma once
// "Please, choose shorter name!": the warning shown beside a name field while
// the typed name is longer than the limit. It floats over the window and never
// takes the keyboard focus, so the user keeps typing in the field.
#include "authoring/FloatingPanel.h"

#include <QPointer>

class QLabel;

namespace dexaro {

class WSNameCheckerPopover : public FloatingPanel {
    Q_OBJECT
public:
    explicit WSNameCheckerPopover(QWidget* parent);

    // Right of field's frame widened by 5 px, vertically centred on it (below
    // the field when the window has no room on its right). Does nothing when
    // it is shown already.
    void showBeside(QWidget* field);
    void closePopover();
    bool isShown() const { return !isHidden(); }

    QLabel* headerLabel() const { return m_header; }
    QLabel* descriptionLabel() const { return m_description; }

protected:
    void windowResized() override;

private:
    void place();

    QLabel* m_header;
    QLabel* m_description;
    QPointer<QWidget> m_field;
};

} // namespace dexaro
