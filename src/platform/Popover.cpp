#include "platform/Popover.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>

namespace dexaro {

namespace {
constexpr int anchorGap = 4;
}

Popover::Popover(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint |
                          Qt::WindowStaysOnTopHint) {
    setWindowTitle(QStringLiteral("Dexaro"));
    setObjectName(QStringLiteral("DexaroPopover"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void Popover::setContentView(QWidget* view) {
    if (m_content == view)
        return;
    if (m_content) {
        layout()->removeWidget(m_content);
        m_content->hide();
        m_content->setParent(nullptr);
    }
    m_content = view;
    if (view) {
        layout()->addWidget(view);
        view->show();
    }
}

QRect Popover::placement(const QSize& size, const QRect& anchor, const QRect& workArea) {
    const QPoint centre = anchor.center();
    int x = centre.x() - size.width() / 2;
    int y = centre.y() < workArea.center().y() ? anchor.bottom() + 1 + anchorGap
                                               : anchor.top() - anchorGap - size.height();
    if (workArea.isValid()) {
        x = std::min(x, workArea.right() + 1 - size.width());
        x = std::max(x, workArea.left());
        y = std::min(y, workArea.bottom() + 1 - size.height());
        y = std::max(y, workArea.top());
    }
    return QRect(QPoint(x, y), size);
}

QRect Popover::placementFor(const QRect& anchorRect) const {
    const QRect anchor = anchorRect.isValid() ? anchorRect : QRect(QCursor::pos(), QSize(1, 1));
    QRect workArea;
    if (m_workAreaAt) {
        workArea = m_workAreaAt(anchor.center());
    } else if (const QScreen* screen = QGuiApplication::screenAt(anchor.center())) {
        workArea = screen->geometry();
    }
    return placement(sizeHint().expandedTo(minimumSizeHint()), anchor, workArea);
}

void Popover::reanchor(const QRect& anchor) {
    if (isShown() && anchor.isValid())
        setGeometry(placementFor(anchor));
}

void Popover::showRelativeTo(const QRect& anchorRect) {
    if (isShown())
        return;
    adjustSize();
    setGeometry(placementFor(anchorRect));
    show();
    raise();
    activateWindow();
}

void Popover::performClose() {
    if (!isShown())
        return;
    close();
}

void Popover::closeEvent(QCloseEvent* event) {
    if (isVisible())
        emit willClose();
    event->accept();
}

void Popover::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        performClose();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace dexaro
