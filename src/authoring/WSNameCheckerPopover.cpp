#include "authoring/WSNameCheckerPopover.h"

#include "authoring/NameChecks.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QVBoxLayout>

namespace dexaro {

namespace {
constexpr int fieldMargin = 5;
constexpr int maxTextWidth = 360;

// Assistive tools read the warning as an alert.
QAccessibleInterface* alertAccessible(const QString& className, QObject* object) {
    if (className != QLatin1String("dexaro::WSNameCheckerPopover") || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::AlertMessage);
}

QLabel* makeLabel(const QString& text, int pointSize, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPointSize(pointSize);
    label->setFont(font);
    label->setWordWrap(true);
    label->setFocusPolicy(Qt::NoFocus);
    label->setAccessibleName(text);
    return label;
}
} // namespace

WSNameCheckerPopover::WSNameCheckerPopover(QWidget* parent)
    : FloatingPanel(parent),
      m_header(makeLabel(QStringLiteral("Please, choose shorter name!"), 18, this)),
      m_description(makeLabel(QStringLiteral("Workspace's name must not be longer than %1 "
                                             "characters.")
                                  .arg(maxWorkspaceNameLength),
                              12, this)) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(alertAccessible);
        return true;
    }();
    Q_UNUSED(factoryInstalled);

    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(m_header->text());
    setAccessibleDescription(m_description->text());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->setSpacing(6);
    layout->addWidget(m_header);
    layout->addWidget(m_description);
    // The header on one line where it fits; the description wraps below it.
    const int textWidth =
        qMin(maxTextWidth, m_header->fontMetrics().horizontalAdvance(m_header->text()) + 2);
    m_header->setFixedWidth(textWidth);
    m_description->setFixedWidth(textWidth);
    // Sized by its wrapped text, once: the texts never change.
    const int width = sizeHint().width();
    setFixedSize(width, hasHeightForWidth() ? heightForWidth(width) : sizeHint().height());
}

void WSNameCheckerPopover::showBeside(QWidget* field) {
    if (!field || isShown())
        return;
    m_field = field;
    place();
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void WSNameCheckerPopover::closePopover() {
    hide();
}

void WSNameCheckerPopover::windowResized() {
    if (m_field)
        place();
}

void WSNameCheckerPopover::place() {
    const QSize card =
        size().shrunkBy(QMargins(shadowMargin, shadowMargin, shadowMargin, shadowMargin));
    const QRect around =
        rectInWindow(m_field).adjusted(-fieldMargin, -fieldMargin, fieldMargin, fieldMargin);
    const int windowWidth = m_field->window()->width();
    QRect frame(QPoint(around.right() + 1, around.center().y() - card.height() / 2), card);
    if (frame.right() > windowWidth - 1)
        frame.moveTopLeft(QPoint(around.left(), around.bottom() + 1));
    floatOver(m_field, frame);
}

} // namespace dexaro
