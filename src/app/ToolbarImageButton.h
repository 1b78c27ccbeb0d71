#pragma once
// The image of a navigation item. Its looks come from one asset name: the
// asset itself, then the related assets derived by dropping a "_light" or
// "_dark" part and appending "_dark", "_light" or "_red" (the selected look).
// A derived asset that does not exist leaves the first image in its place.
// Drawn from SVG at paint time, so it stays sharp at any scale.
#include <QHash>
#include <QString>
#include <QWidget>

class QSvgRenderer;

namespace dexaro {

class ToolbarImageButton : public QWidget {
    Q_OBJECT
public:
    // folder: where "<name>.svg" assets are looked up.
    explicit ToolbarImageButton(const QString& assetName, QWidget* parent = nullptr,
                                const QString& folder = QStringLiteral(":/images/"));

    bool selected() const { return m_selected; }
    void setSelected(bool selected);
    qreal opacity() const { return m_opacity; }
    void setOpacity(qreal opacity);

    // Paths of the four looks ("" when not even the named asset exists).
    QString lightModeNormalImage() const { return m_lightModeNormalImage; }
    QString lightModeTintImage() const { return m_lightModeTintImage; }
    QString darkModeNormalImage() const { return m_darkModeNormalImage; }
    QString darkModeTintImage() const { return m_darkModeTintImage; }
    // The look shown now, for the selection and the current appearance.
    QString shownImage() const;

    bool isToolbarButton = true;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QSvgRenderer* renderer(const QString& path);

    QString m_lightModeNormalImage;
    QString m_lightModeTintImage;
    QString m_darkModeNormalImage;
    QString m_darkModeTintImage;
    QHash<QString, QSvgRenderer*> m_renderers;
    bool m_selected = false;
    qreal m_opacity = 0.6;
};

} // namespace dexaro
