#include "authoring/AppListGridView.h"

#include "authoring/AppListItemDelegate.h"

#include <QKeyEvent>

namespace dexaro {

AppListGridView::AppListGridView(QWidget* parent) : QListView(parent) {
    setViewMode(QListView::IconMode);
    setMovement(QListView::Static);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setGridSize(AppListItemDelegate::tileSize);
    setSpacing(0);
    setSelectionMode(QAbstractItemView::MultiSelection);
    setSelectionRectVisible(false);
    setDragEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setMouseTracking(true); // the hover look
    viewport()->setAttribute(Qt::WA_Hover);
    setFrameShape(QFrame::NoFrame);
    viewport()->setAutoFillBackground(false);
    setAccessibleName(tr("Applications"));
    connect(this, &QAbstractItemView::clicked, this, &AppListGridView::toggleRequested);
}

QItemSelectionModel::SelectionFlags AppListGridView::selectionCommand(const QModelIndex&,
                                                                      const QEvent*) const {
    return QItemSelectionModel::NoUpdate;
}

void AppListGridView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier &&
        currentIndex().isValid()) {
        emit toggleRequested(currentIndex());
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

} // namespace dexaro
