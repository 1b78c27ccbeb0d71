#include "app/CustomMainWindow.h"

#include "app/PlaceholderScreen.h"
#include "app/SettingsView.h"
#include "app/ToolbarItemView.h"
#include "app/WindowShortcuts.h"
#include "platform/WorkAreas.h"
#include "style/Colors.h"
#include "style/WSMainView.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QScreen>
#include <QVBoxLayout>

namespace dexaro {

namespace {
constexpr int toolbarWidth = 88;
} // namespace

CustomMainWindow::CustomMainWindow(AppSettings& settings, WorkspaceStore& store,
                                   LoginItem& loginItem, QWidget* parent)
    : QMainWindow(parent), m_settings(settings), m_store(store), m_loginItem(loginItem) {
    setWindowTitle(QStringLiteral("Dexaro"));
    setWindowIcon(QIcon(QStringLiteral(":/images/AppIcon.svg")));
    // Closing hides the window; it never ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);

    addWindowShortcut(this, QKeySequence(Qt::CTRL | Qt::Key_W), [this] { close(); });
    addWindowShortcut(this, QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { emit quitRequested(); });

    buildMainWindowContent();
}

void CustomMainWindow::buildMainWindowContent() {
    auto* content = new QWidget(this);
    auto* row = new QHBoxLayout(content);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    setCentralWidget(content);

    m_toolbarBackgroundView = new WSMainView(content);
    m_toolbarBackgroundView->setObjectName(QStringLiteral("toolbar"));
    m_toolbarBackgroundView->setColors(colorFromHex(0xeef0f4), colorFromHex(0x262a31));
    m_toolbarBackgroundView->setFixedWidth(toolbarWidth);
    m_rightBorderView = new WSMainView(content);
    m_rightBorderView->setColors(colorFromHex(0xd8dce3), colorFromHex(0x3b4252));
    m_rightBorderView->setFixedWidth(1);
    auto* contentArea = new QWidget(content);
    m_contentLayout = new QVBoxLayout(contentArea);
    m_contentLayout->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_toolbarBackgroundView);
    row->addWidget(m_rightBorderView);
    row->addWidget(contentArea, 1);

    m_creatorView = new PlaceholderScreen(QStringLiteral("New workspace"), contentArea);
    m_editorView = new PlaceholderScreen(QStringLiteral("Edit workspace"), contentArea);
    m_editorView->hide();
    m_currentView = m_creatorView;
    m_currentViewCode = CreatorView;
    m_contentLayout->addWidget(m_creatorView);

    auto* column = new QVBoxLayout(m_toolbarBackgroundView);
    column->setContentsMargins(0, 16, 0, 0);
    column->setSpacing(6);
    const struct {
        int id;
        const char* image;
        const char* title;
    } items[] = {{CreatorView, "add", "Create"},
                 {EditorView, "edit", "Edit"},
                 {SettingsScreen, "settings-gears-icon", "Configs"}};
    for (const auto& entry : items) {
        auto* item = new ToolbarItemView(entry.id, QString::fromLatin1(entry.image),
                                         QString::fromLatin1(entry.title), m_toolbarBackgroundView,
                                         toolbarWidth);
        connect(item, &ToolbarItemView::itemSelectedNotification, this,
                &CustomMainWindow::itemWasSelected);
        connect(this, &CustomMainWindow::itemSelected, item,
                &ToolbarItemView::deselectItemWithNotification);
        column->addWidget(item);
        m_items.append(item);
    }
    column->addStretch();
    m_items.first()->showSelected();
}

void CustomMainWindow::itemWasSelected(int itemID) {
    emit itemSelected(itemID);
    switchMainContent(itemID);
}

ToolbarItemView* CustomMainWindow::toolbarItem(int itemID) const {
    for (ToolbarItemView* item : m_items)
        if (item->itemID() == itemID)
            return item;
    return nullptr;
}

void CustomMainWindow::setAlerts(Alerts* alerts) {
    m_alerts = alerts;
}

void CustomMainWindow::setScreenViews(QWidget* creator, QWidget* editor) {
    const auto replace = [this](QWidget*& slot, QWidget* view, int code) {
        if (!view || view == slot)
            return;
        QWidget* old = slot;
        slot = view;
        view->setParent(m_contentLayout->parentWidget());
        view->hide();
        if (m_currentViewCode == code) {
            m_currentView = nullptr;
            showView(view);
        }
        m_contentLayout->removeWidget(old);
        old->deleteLater();
    };
    replace(m_creatorView, creator, CreatorView);
    replace(m_editorView, editor, EditorView);
}

void CustomMainWindow::showView(QWidget* view) {
    if (m_currentView) {
        m_contentLayout->removeWidget(m_currentView);
        m_currentView->hide();
        if (qobject_cast<SettingsView*>(m_currentView))
            m_currentView->deleteLater();
    }
    m_currentView = view;
    m_contentLayout->addWidget(view);
    view->show();
}

void CustomMainWindow::switchMainContent(int code) {
    if (code == m_currentViewCode)
        return;
    QWidget* next = nullptr;
    switch (code) {
    case CreatorView:
        next = m_creatorView;
        break;
    case EditorView:
        next = m_editorView;
        break;
    case SettingsScreen:
        next = new SettingsView(m_settings, m_store, m_loginItem, m_alerts,
                                m_contentLayout->parentWidget());
        break;
    default:
        return;
    }
    m_currentViewCode = code;
    showView(next);
    if (code == EditorView)
        next->setFocus(Qt::OtherFocusReason);
}

namespace {

// Panel thickness assumed when the work area shows no panel.
constexpr int defaultStatusBarThickness = 24;

// The desktop's status bar: the thicker of the panels along the top and the
// bottom edge of the monitor, as its work area shows them.
int statusBarThickness(const QRect& full, const QRect& work) {
    const int top = work.top() - full.top();
    const int bottom = full.bottom() - work.bottom();
    const int thickness = std::max(top, bottom);
    return thickness > 0 ? thickness : defaultStatusBarThickness;
}

} // namespace

QRect CustomMainWindow::frameFor(const QRect& workArea, int statusBarThickness) {
    constexpr int minimumWidth = 480;
    constexpr int minimumHeight = 320;
    const int width = std::max(workArea.width() - 100, std::min(minimumWidth, workArea.width()));
    const int height = std::max(workArea.height() - 5 * statusBarThickness,
                                std::min(minimumHeight, workArea.height()));
    QRect frame(0, 0, width, height);
    frame.moveCenter(workArea.center());
    return frame;
}

void CustomMainWindow::followPrimaryWorkArea(WorkAreas& workAreas) {
    const auto fit = [this, &workAreas] {
        fitToPrimaryWorkArea(workAreas);
    };
    const auto watch = [this, fit](QScreen* screen) {
        connect(screen, &QScreen::geometryChanged, this, fit);
        connect(screen, &QScreen::availableGeometryChanged, this, fit);
    };
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [watch, fit](QScreen* screen) {
        watch(screen);
        fit();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, fit);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, fit);
    fit();
}

void CustomMainWindow::fitToPrimaryWorkArea(WorkAreas& workAreas) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const auto monitor = workAreas.primary();
    const qreal ratio = screen->devicePixelRatio();
    auto logical = [ratio](const QRect& r) {
        return QRect(qRound(r.x() / ratio), qRound(r.y() / ratio), qRound(r.width() / ratio),
                     qRound(r.height() / ratio));
    };
    const QRect full = monitor ? logical(monitor->geometry) : screen->geometry();
    const QRect work = monitor ? logical(monitor->workArea) : full;
    setGeometry(frameFor(work, statusBarThickness(full, work)));
}

} // namespace dexaro
