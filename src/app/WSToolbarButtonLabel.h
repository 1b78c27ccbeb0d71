#pragma once
// The title of a navigation item: the selected colour while its item is
// selected, the appearance's normal text colour otherwise, at the item's opacity.
#include <QColor>
#include <QLabel>

namespace dexaro {

class WSToolbarButtonLabel : public QLabel {
    Q_OBJECT
public:
    explicit WSToolbarButtonLabel(const QString& text, QWidget* toolbar, QWidget* parent = nullptr);

    bool selected() const { return m_selected; }
    void setSelected(bool selected);
    qreal opacity() const { return m_opacity; }
    void setOpacity(qreal opacity);
    // The colour the text is drawn in now (opacity included).
    QColor currentTextColor() const;

    QWidget* toolbar = nullptr;
    QColor lightModeTextColor;
    QColor darkModeTextColor;
    QColor selectedTextColor;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QColor normalTextColor() const;

    bool m_selected = false;
    qreal m_opacity = 0.6;
};

} // namespace dexaro
