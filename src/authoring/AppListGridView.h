#pragma once
// The grid of the application picker: a list view in icon mode with tiles of
// fixed size. A click on a tile (or Space on the current one) asks for its
// application to be toggled; the view's selection is not changed by input
// here but set by the picker from its picked applications, so that it always
// shows them and assistive tools read it.
#include <QListView>

namespace dexaro {

class AppListGridView : public QListView {
    Q_OBJECT
public:
    explicit AppListGridView(QWidget* parent = nullptr);

signals:
    void toggleRequested(const QModelIndex& index);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace dexaro
