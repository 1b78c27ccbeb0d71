#include "app/AboutWindow.h"

#include "platform/WorkAreas.h"
#include "style/Colors.h"

#include <QDate>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>
#include <QVBoxLayout>

namespace dexaro {

AboutWindowLogoImageView::AboutWindowLogoImageView(const QString& originalImage,
                                                   const QString& darkModeImage, QWidget* parent)
    : QWidget(parent), m_originalImage(originalImage), m_darkModeImage(darkModeImage) {
    setAccessibleName(QStringLiteral("Dexaro logo"));
}

QString AboutWindowLogoImageView::shownImage() const {
    return isDarkAppearance(this) && !m_darkModeImage.isEmpty() ? m_darkModeImage : m_originalImage;
}

void AboutWindowLogoImageView::paintEvent(QPaintEvent*) {
    QSvgRenderer svg(shownImage());
    if (!svg.isValid())
        return;
    QPainter painter(this);
    svg.render(&painter, QRectF(rect()));
}

void AboutWindowLogoImageView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange)
        update();
    QWidget::changeEvent(event);
}

namespace {

QLabel* makeLabel(const QString& text, int pointSize, QFont::Weight weight, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPointSize(pointSize);
    font.setWeight(weight);
    label->setFont(font);
    label->setAlignment(Qt::AlignHCenter);
    label->setAccessibleName(text);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

AboutWindow::AboutWindow(const QString& version, QWidget* parent) : CustomOrdinaryWindow(parent) {
    setObjectName(QStringLiteral("AboutWindow"));
    setWindowTitle(QStringLiteral("Dexaro"));
    setAccessibleName(QStringLiteral("About Dexaro"));
    setFixedSize(contentWidth, contentHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 20, 0, 0);
    layout->setSpacing(0);
    constexpr int logoWidth = 250;
    m_logo = new AboutWindowLogoImageView(QStringLiteral(":/images/logo.svg"),
                                          QStringLiteral(":/images/logo-dark.svg"), this);
    m_logo->setFixedSize(logoWidth, qRound(0.54 * logoWidth));
    layout->addWidget(m_logo, 0, Qt::AlignHCenter);

    const auto add = [&](QLabel* label, int distance) {
        layout->addSpacing(distance);
        layout->addWidget(label, 0, Qt::AlignHCenter);
        m_texts.append(label);
    };
    add(makeLabel(QStringLiteral("Dexaro"), 16, QFont::DemiBold, this), 20);
    if (!version.isEmpty()) {
        add(makeLabel(versionLine(version), 14, QFont::Light, this), 10);
        add(makeLabel(QStringLiteral("Made with care for tidy desktops"), 16, QFont::Light, this),
            22);
        QLabel* link = makeLabel(QString(), 14, QFont::Medium, this);
        const QColor linkColour =
            isDarkAppearance(this) ? colorFromHex(0x8AB4F8) : colorFromHex(0x1A3263);
        link->setText(
            QStringLiteral("<a href=\"%1\" style=\"color:%2; text-decoration:none\">%1</a>")
                .arg(webAddress, linkColour.name()));
        link->setAccessibleName(webAddress);
        link->setAccessibleDescription(
            QStringLiteral("Link: opens %1 in the browser").arg(webAddress));
        link->setTextFormat(Qt::RichText);
        link->setTextInteractionFlags(Qt::TextBrowserInteraction);
        link->setOpenExternalLinks(true);
        link->setCursor(Qt::PointingHandCursor);
        link->setObjectName(QStringLiteral("AboutWebAddress"));
        add(link, 3);
        add(makeLabel(rightsLine(QDate::currentDate().year()), 12, QFont::Light, this), 30);
        add(makeLabel(QStringLiteral("All rights reserved."), 12, QFont::Light, this), 5);
    }
    layout->addStretch(1);
}

QString AboutWindow::versionLine(const QString& version) {
    return QStringLiteral("Version: ") + version;
}

QString AboutWindow::rightsLine(int year) {
    return QStringLiteral("Copyright \u00A9 %1 the Dexaro developers.").arg(year);
}

void AboutWindow::showCentred(WorkAreas* workAreas) {
    const bool wasVisible = isVisible();
    const QScreen* screen =
        wasVisible && this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
    // Work areas are in device pixels, widgets in logical ones.
    std::optional<WorkAreas::Monitor> monitor;
    if (workAreas) {
        const QPoint at = frameGeometry().center() * ratio;
        monitor = wasVisible ? workAreas->monitorAt(at) : workAreas->primary();
    }
    show();
    // The frame is known once shown; move() places the frame.
    std::optional<QRect> area;
    if (monitor && !monitor->workArea.isEmpty()) {
        const QRect& r = monitor->workArea;
        area = QRect(qRound(r.x() / ratio), qRound(r.y() / ratio), qRound(r.width() / ratio),
                     qRound(r.height() / ratio));
    } else if (screen) {
        area = screen->geometry();
    }
    if (area) {
        QRect frame = frameGeometry();
        frame.moveCenter(area->center());
        move(frame.topLeft());
    }
    raise();
    activateWindow();
}

} // namespace dexaro
