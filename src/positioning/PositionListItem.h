#pragma once
// One entry of the position picker: the placement's picture, its name and the
// mark of the chosen entry; grey while the pointer is over it.
#include "positioning/PositionName.h"

#include <QLabel>
#include <QWidget>

namespace dexaro {

class SelectionMark : public QWidget {
    Q_OBJECT
public:
    explicit SelectionMark(QWidget* parent = nullptr);
    qreal opacity() const { return m_opacity; }
    void setOpacity(qreal opacity);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_opacity = 0;
};

class PositionListItem : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize itemSize{180, 25};

    explicit PositionListItem(QWidget* parent = nullptr);

    void configure(const QString& name, PositionName position);

    QLabel* positionName;
    QLabel* positionImage;
    SelectionMark* selectionIndicator;

    bool isHovered() const { return m_hovered; }

signals:
    void clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_hovered = false;
};

} // namespace dexaro
