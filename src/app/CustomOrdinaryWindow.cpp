#include "app/CustomOrdinaryWindow.h"

#include "app/WindowShortcuts.h"

#include <QMouseEvent>

namespace dexaro {

CustomOrdinaryWindow::CustomOrdinaryWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setAttribute(Qt::WA_QuitOnClose, false);
    addWindowShortcut(this, QKeySequence(Qt::CTRL | Qt::Key_W), [this] { close(); });
}

void CustomOrdinaryWindow::mousePressEvent(QMouseEvent* event) {
    emit closePopoverRequested();
    QWidget::mousePressEvent(event);
}

} // namespace dexaro
