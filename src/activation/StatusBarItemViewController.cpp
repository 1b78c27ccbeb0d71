#include "activation/StatusBarItemViewController.h"

#include "activation/CustomNSPopoverView.h"
#include "style/Colors.h"

#include <QGuiApplication>
#include <QScreen>

namespace dexaro {

StatusBarItemViewController::StatusBarItemViewController(QObject* parent) : QObject(parent) {}

StatusBarItemViewController::~StatusBarItemViewController() {
    if (m_view && !m_view->parent())
        delete m_view;
}

CustomNSPopoverView* StatusBarItemViewController::view() {
    if (!m_view)
        loadView();
    return m_view;
}

void StatusBarItemViewController::loadView() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screenHeight = screen ? screen->geometry().height() : 0;
    m_view = new CustomNSPopoverView;
    m_view->setObjectName(QStringLiteral("StatusBarPopoverRootView"));
    m_view->setColors(colorFromHex(0xFFFFFF), colorFromHex(0x2B2D2F));
    m_view->setFixedSize(viewWidth, viewHeightFor(screenHeight));
    // Follow the view when a window adopts it and later deletes it.
    connect(m_view, &QObject::destroyed, this, [this] { m_view = nullptr; });
    viewDidLoad();
}

} // namespace dexaro
