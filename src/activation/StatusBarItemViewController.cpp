#include "activation/StatusBarItemViewController.h"

#include "activation/CustomNSPopoverView.h"
#include "activation/SettingsMenuActions.h"
#include "activation/StatusBarPopoverCollectionView.h"
#include "activation/StatusbarSettingsImageButton.h"
#include "activation/WorkspaceActivation.h"
#include "style/Colors.h"

#include <QGraphicsOpacityEffect>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

namespace dexaro {

namespace {
const QString statusBarTag = QStringLiteral("statusbar");
}

StatusBarItemViewController::StatusBarItemViewController(WorkspaceActivation& activation,
                                                         QObject* parent)
    : QObject(parent), m_activation(activation) {}

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
    connect(m_view, &QObject::destroyed, this, [this] {
        m_view = nullptr;
        m_scrollView = nullptr;
        m_settingsIcon = nullptr;
        m_settingsMenu = nullptr;
        m_emptyState = nullptr;
        m_createButton = nullptr;
    });
    viewDidLoad();
}

// A failed load was reported by the store; the list shown stays.
void StatusBarItemViewController::reloadIfMarked() {
    if (appDelegate.consumeWorkspaceListUpdate &&
        appDelegate.consumeWorkspaceListUpdate(statusBarTag))
        m_activation.reloadWorkspaces();
}

void StatusBarItemViewController::viewDidLoad() {
    reloadIfMarked();

    m_settingsIcon =
        new StatusbarSettingsImageButton(QStringLiteral("settings-gears-icon"), m_view);
    m_settingsIcon->setObjectName(QStringLiteral("StatusBarSettingsIcon"));
    m_settingsIcon->setGeometry(settingsIconInset, settingsIconInset, settingsIconSize,
                                settingsIconSize);
    connect(m_settingsIcon, &QAbstractButton::clicked, this,
            &StatusBarItemViewController::showPreferencesMenu);

    m_settingsMenu = new QMenu(QStringLiteral("Preferences"), m_view);
    m_settingsMenu->setObjectName(QStringLiteral("StatusBarSettingsMenu"));
    m_settingsMenu->setAccessibleName(QStringLiteral("Preferences"));
    SettingsMenuActions::addTo(m_settingsMenu, appDelegate);
    // The popover dims while its menu is open.
    auto* dimming = new QGraphicsOpacityEffect(m_view);
    dimming->setOpacity(1.0);
    dimming->setEnabled(false);
    m_view->setGraphicsEffect(dimming);
    connect(m_settingsMenu, &QMenu::aboutToShow, this, [dimming] {
        dimming->setOpacity(0.3);
        dimming->setEnabled(true);
    });
    connect(m_settingsMenu, &QMenu::aboutToHide, this, [dimming] {
        dimming->setOpacity(1.0);
        dimming->setEnabled(false);
    });

    // The list's scroll area starts 5 px after the settings icon.
    m_scrollView = new QScrollArea(m_view);
    m_scrollView->setObjectName(QStringLiteral("StatusBarPopoverScrollView"));
    m_scrollView->setAccessibleName(QStringLiteral("Workspaces"));
    m_scrollView->setFrameShape(QFrame::NoFrame);
    m_scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollView->setWidgetResizable(false);
    m_scrollView->viewport()->setAutoFillBackground(false);
    m_scrollView->setAutoFillBackground(false);
    // One pixel in from the root view's edges, which carry its hairline frame.
    m_scrollView->setGeometry(listLeft, 1, viewWidth - listLeft - 1, m_view->height() - 2);

    m_list = new StatusBarPopoverCollectionView(m_activation);
    m_scrollView->setWidget(m_list);
    m_list->setAutoFillBackground(false); // setWidget turned it on: the popover's colour shows
    m_list->reloadData();

    buildEmptyState();
    connect(&m_activation, &WorkspaceActivation::workspacesChanged, this,
            &StatusBarItemViewController::showEmptyStateIfEmpty);
    showEmptyStateIfEmpty();
}

void StatusBarItemViewController::buildEmptyState() {
    m_emptyState = new QWidget(m_view);
    m_emptyState->setObjectName(QStringLiteral("StatusBarEmptyState"));
    m_emptyState->setGeometry(m_scrollView->geometry());
    auto* column = new QVBoxLayout(m_emptyState);
    column->setContentsMargins(20, 20, 20 + listLeft, 20);
    column->setSpacing(14);
    column->addStretch(2);
    auto* line = new QLabel(QStringLiteral("No workspaces yet"), m_emptyState);
    line->setObjectName(QStringLiteral("StatusBarEmptyStateText"));
    line->setAlignment(Qt::AlignCenter);
    line->setWordWrap(true);
    QFont font = line->font();
    font.setPixelSize(17);
    line->setFont(font);
    // The window text of the popover's own palette: readable light and dark.
    line->setForegroundRole(QPalette::WindowText);
    column->addWidget(line);
    m_createButton = new QPushButton(QStringLiteral("Create a Workspace"), m_emptyState);
    m_createButton->setObjectName(QStringLiteral("StatusBarCreateButton"));
    m_createButton->setAccessibleDescription(QStringLiteral("Open the main window on the Creator"));
    column->addWidget(m_createButton, 0, Qt::AlignHCenter);
    column->addStretch(3);
    connect(m_createButton, &QPushButton::clicked, this, [this] {
        if (appDelegate.closePopover)
            appDelegate.closePopover();
        if (appDelegate.createWorkspace)
            appDelegate.createWorkspace();
    });
}

void StatusBarItemViewController::showEmptyStateIfEmpty() {
    if (!m_emptyState || !m_scrollView)
        return;
    const bool empty = m_activation.workspaces().isEmpty();
    m_emptyState->setVisible(empty);
    m_scrollView->setVisible(!empty);
}

void StatusBarItemViewController::viewDidAppear() {
    if (m_settingsIcon)
        m_settingsIcon->setOpacity(m_settingsIcon->underMouse()
                                       ? StatusbarSettingsImageButton::hoverOpacity
                                       : StatusbarSettingsImageButton::restingOpacity);
    reloadIfMarked();
}

void StatusBarItemViewController::reloadWSListCollectionView() {
    m_activation.reloadWorkspaces();
}

void StatusBarItemViewController::showPreferencesMenu() {
    if (!m_settingsMenu || !m_settingsIcon)
        return;
    const QRect icon = m_settingsIcon->geometry();
    m_settingsMenu->popup(m_view->mapToGlobal(QPoint(icon.right() + 1 + 10, icon.bottom() + 1)));
}

qreal StatusBarItemViewController::popoverOpacity() const {
    const auto* dimming =
        m_view ? qobject_cast<QGraphicsOpacityEffect*>(m_view->graphicsEffect()) : nullptr;
    return dimming && dimming->isEnabled() ? dimming->opacity() : 1.0;
}

} // namespace dexaro
