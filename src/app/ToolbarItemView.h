#pragma once
// One item of the main window's navigation column: an image above a title.
// A click selects it (opaque, tinted image, selected title colour) and
// announces it; an item told that another one was selected returns to the
// normal look. An unselected item lights up while hovered.
#include <QWidget>

namespace dexaro {

class ToolbarImageButton;
class WSToolbarButtonLabel;

class ToolbarItemView : public QWidget {
    Q_OBJECT
public:
    ToolbarItemView(int itemID, const QString& imageName, const QString& title, QWidget* toolbar,
                    int width);

    int itemID() const { return m_itemID; }
    bool itemSelected() const { return m_itemSelected; }
    ToolbarImageButton* imageView() const { return m_imageView; }
    WSToolbarButtonLabel* itemLabel() const { return m_itemLabel; }

    // The selected look, without announcing it (the initial selection).
    void showSelected();
    // What a click does: the selected look, then the announcement.
    void select();

public slots:
    // Observer of the selection: any other item selected -> normal look.
    void deselectItemWithNotification(int selectedItemsID);

signals:
    // "ItemSelected": the item with this itemID was selected.
    void itemSelectedNotification(int selectedItemsID);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void setLook(bool selected, qreal opacity);

    int m_itemID;
    QWidget* m_toolbar;
    ToolbarImageButton* m_imageView;
    WSToolbarButtonLabel* m_itemLabel;
    bool m_itemSelected = false;
};

} // namespace dexaro
