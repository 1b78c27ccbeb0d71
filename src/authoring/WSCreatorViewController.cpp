#include "authoring/WSCreatorViewController.h"

#include "activation/WorkspaceCatalog.h"
#include "authoring/AppListCollectionView.h"
#include "authoring/AuthoringWidgets.h"
#include "authoring/InstalledAppsScanner.h"
#include "authoring/LinkPopover.h"
#include "authoring/NameChecks.h"
#include "authoring/StartChoiceView.h"
#include "authoring/WSNameCheckerPopover.h"
#include "authoring/WSNameTyping.h"
#include "authoring/WSTextField.h"
#include "authoring/WindowCapture.h"
#include "platform/Alerts.h"
#include "platform/HotKeys.h"
#include "platform/Windows.h"
#include "positioning/PlacementScreens.h"
#include "shortcuts/MASShortcutMonitor.h"
#include "shortcuts/MASShortcutView.h"
#include "style/Colors.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <tuple>

namespace dexaro {

WSCreatorViewController::WSCreatorViewController(const AuthoringContext& context, QWidget* parent)
    : WSMainView(parent), m_context(context) {
    setObjectName(QStringLiteral("WSCreatorViewController"));
    setAccessibleName(QStringLiteral("Create workspace"));
    setColors(colorFromHex(0xfbfbfd), std::nullopt);
    buildView();

    m_scanner = new InstalledAppsScanner(*context.desktopEntries, *context.alerts,
                                         context.scanDefaultApps, alertTitle, this);
    connect(m_scanner, &InstalledAppsScanner::scanFinished, this,
            &WSCreatorViewController::scanFinished);
    // The spinner runs until the first list is in the grid. The first scan
    // waits for the screen to be shown: the main window is built hidden at
    // start-up, and most starts never open it.
    m_collectionView->setBusy(true);
}

WSCreatorViewController::~WSCreatorViewController() = default;

void WSCreatorViewController::buildView() {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(36, 28, 36, 24);
    root->setSpacing(12);
    root->addLayout(screenTitle(QStringLiteral("Create"), QStringLiteral("Workspace"), this));

    auto* form = new QHBoxLayout;
    form->setSpacing(28);
    m_nameField = makeNameField(QStringLiteral("Enter new Workspace's name"), this);
    m_nameField->setMinimumWidth(300);
    addFormColumn(form, QStringLiteral("Name"), m_nameField, m_nameField, 3);
    m_shortcutView = makeShortcutRecorder(m_context, this);
    addFormColumn(form, QStringLiteral("Shortcut"), m_shortcutView, m_shortcutView, 1);
    form->addStretch(2);
    root->addLayout(form);
    m_shortcutNotice = new QLabel(this);
    m_shortcutNotice->setObjectName(QStringLiteral("shortcutNotice"));
    m_shortcutNotice->setAccessibleName(QStringLiteral("Shortcut notice"));
    m_shortcutNotice->setWordWrap(true);
    m_shortcutNotice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_shortcutNotice->hide();
    root->addWidget(m_shortcutNotice);
    m_startChoice = new StartChoiceView(this);
    root->addWidget(m_startChoice);

    m_selectAppLabel = captionLabel(QStringLiteral("Select Workspace's apps"), this);
    root->addSpacing(6);
    root->addWidget(m_selectAppLabel);
    m_collectionView = new AppListCollectionView(PositionPopoverWindowType::create, this);
    m_collectionView->setObjectName(QStringLiteral("collectionView"));
    m_collectionView->setPositionCaches(&m_positionManager, nullptr);
    m_collectionView->positionsPopover()->setNotice(m_context.placementLimit);
    m_collectionView->positionsPopover()->setScreensSource(
        [this] { return placementScreens(m_context.workAreas, m_context.windows); });
    root->addWidget(m_collectionView, 1);

    auto* buttons = new QHBoxLayout;
    m_captureButton = screenButton(QStringLiteral("From open windows"),
                                   QStringLiteral("Pick the applications whose windows are open "
                                                  "now, each where its window is"),
                                   this);
    m_captureButton->setObjectName(QStringLiteral("captureButton"));
    m_captureButton->setEnabled(m_context.windows && m_context.workAreas && m_context.workspace);
    buttons->addWidget(m_captureButton);
    buttons->addStretch();
    m_saveButton =
        screenButton(QStringLiteral("Save"), QStringLiteral("Store the new workspace"), this);
    m_saveButton->setObjectName(QStringLiteral("saveButton"));
    m_saveButton->setEnabled(false);
    buttons->addWidget(m_saveButton);
    root->addLayout(buttons);

    m_nameWarning = new WSNameCheckerPopover(this);
    m_nameTyping = new WSNameTyping(m_nameField, m_nameWarning, m_saveButton, [] { return true; });
    std::tie(m_urlPopover, m_filePopover) = makeLinkPopovers(m_collectionView, this);
    connect(m_saveButton, &QPushButton::clicked, this, &WSCreatorViewController::saveWS);
    connect(m_nameField, &QLineEdit::textChanged, this,
            &WSCreatorViewController::updateShortcutNotice);
    connect(m_captureButton, &QPushButton::clicked, this,
            &WSCreatorViewController::captureOpenWindows);

    // The recorder keeps what the user records to itself until "Save" stores it
    // under the new workspace's key. (Bound to the shared scratch key, it would
    // be emptied whenever the Editor resets that key.)
    m_shortcutView->shortcutValueChange = [this](MASShortcutView* view) {
        m_shortcutValue = view->shortcutValue();
    };
}

void WSCreatorViewController::resizeEvent(QResizeEvent* event) {
    WSMainView::resizeEvent(event);
    fitScreenMargins(this);
}

void WSCreatorViewController::updateShortcutNotice() {
    const bool bindable = !m_context.monitor || m_context.monitor->hotKeys().isAvailable();
    m_shortcutNotice->setVisible(!bindable);
    if (bindable)
        return;
    // Quoted as the desktops' command fields read it (a shell's single quotes).
    QString name = m_nameField->text().trimmed();
    name = name.isEmpty()
               ? QStringLiteral("NAME")
               : QLatin1Char('\'') + name.replace(QLatin1Char('\''), QLatin1String("'\\''")) +
                     QLatin1Char('\'');
    m_shortcutNotice->setText(
        QStringLiteral("This desktop lets no application take keyboard shortcuts. To switch this "
                       "workspace with a key, add a shortcut in the desktop's keyboard settings "
                       "that runs: dexaro --toggle %1")
            .arg(name));
}

void WSCreatorViewController::showEvent(QShowEvent* event) {
    WSMainView::showEvent(event);
    updateShortcutNotice();
    m_collectionView->clearSearch();
    m_startChoice->setDesktops(placementScreens(nullptr, m_context.windows).desktops);
    m_scanner->scanInstalledApps();
}

void WSCreatorViewController::scanFinished() {
    m_collectionView->setInstalledApps(m_scanner->result().apps);
    if (!m_firstScanDone) {
        m_firstScanDone = true;
        m_collectionView->setBusy(false);
        if (std::exchange(m_captureAfterScan, false))
            captureOpenWindows();
        if (std::exchange(m_saveAfterScan, false))
            saveWS();
    }
}

void WSCreatorViewController::refuse(const QString& message, const QString& informative) {
    m_context.alerts->warn(alertTitle, message, informative);
}

void WSCreatorViewController::saveWS() {
    // Until the first scan is in, nothing tells which picked applications are
    // installed: the save waits for it instead of refusing them.
    if (!m_firstScanDone) {
        m_saveAfterScan = true;
        return;
    }
    const QString name = trimmedWorkspaceName(m_nameField->text());
    const QStringList apps =
        chosenApplications(m_collectionView->selectedAppURLs(), m_scanner->result());
    WorkspaceCatalog& catalog = *m_context.catalog;
    if (const std::optional<Refusal> refusal = refusalFor(
            name,
            QStringLiteral("Workspace's name does not contain any character. Please, choose a "
                           "right name!"),
            [&] { return catalog.store().workspaceNameExists(name, 0); }, apps,
            *m_urlPopover->list(), *m_filePopover->list())) {
        refuse(refusal->message, refusal->informative);
        return;
    }

    const WorkspaceContents contents{name, apps, urlLinks(*m_urlPopover->list()),
                                     fileLinks(*m_filePopover->list())};
    WorkspaceOptions options;
    options.switchOnAtStart = m_startChoice->switchOnAtStart();
    options.startDesktop = m_startChoice->startDesktop();
    options.apps = m_positionManager.targetsFor(apps);
    const WorkspaceCatalog::Result result =
        catalog.create(contents, m_shortcutValue, m_positionManager.placementsFor(apps), options);
    if (!result.stored()) {
        // What the user typed stays on screen.
        refuse(QStringLiteral("Could not save the Workspace!"), result.error);
        return;
    }

    resetScreen();
    m_urlPopover->list()->empty();
    m_filePopover->list()->empty();
    if (result.notDone.isEmpty()) {
        m_context.alerts->inform(
            alertTitle, QStringLiteral("Added new Workspace!"),
            QStringLiteral("Workspace with a name %1 created successfully!").arg(quoted(name)));
    } else {
        m_context.alerts->warn(alertTitle, QStringLiteral("Added new Workspace, not all of it!"),
                               partlyDoneText(QStringLiteral("created"), name, result.notDone));
    }
}

void WSCreatorViewController::captureOpenWindows() {
    if (!m_context.windows || !m_context.workAreas || !m_context.workspace)
        return;
    if (!m_firstScanDone) { // the installed applications are not known yet
        m_captureAfterScan = true;
        return;
    }
    // Where windows cannot be read, the window layer says why (once).
    if (!m_context.windows->isAvailable(true))
        return;
    const WindowCapture capture =
        dexaro::captureOpenWindows(*m_context.windows, *m_context.workAreas, *m_context.workspace,
                                   m_collectionView->originalInstalledAppsListForSearchBar(),
                                   QCoreApplication::applicationPid());
    QSet<QString> selected = m_collectionView->selectedAppURLs();
    QStringList found;
    for (const CapturedApp& app : capture.apps) {
        selected.insert(app.appURL);
        m_positionManager.setPosition(app.appURL, rawValue(app.position));
        m_positionManager.setTarget(app.appURL, app.target);
        QStringList where{displayName(app.position)};
        if (!app.target.monitor.isEmpty())
            where << app.target.monitor;
        if (app.target.desktop == desktops::all)
            where << QStringLiteral("all desktops");
        else if (app.target.desktop >= 0)
            where << desktopLabel(app.target.desktop, m_context.windows->desktopNames());
        found << QStringLiteral("%1: %2").arg(app.appName, where.join(QStringLiteral(", ")));
    }
    m_collectionView->setSelectedAppURLs(selected);

    QStringList text;
    if (!found.isEmpty())
        text << found.join(u'\n');
    if (!capture.unmatched.isEmpty())
        text << QStringLiteral("Not an installed application, left out: %1.")
                    .arg(capture.unmatched.join(QStringLiteral(", ")));
    text << capture.notes;
    const QString message =
        found.isEmpty()
            ? QStringLiteral("No open window belongs to an installed application.")
            : QStringLiteral("Picked %1 from open windows; change what you like "
                             "before saving.")
                  .arg(found.size() == 1 ? QStringLiteral("one application")
                                         : QStringLiteral("%1 applications").arg(found.size()));
    m_context.alerts->inform(alertTitle, message, text.join(QStringLiteral("\n\n")));
}

void WSCreatorViewController::resetScreen() {
    m_saveButton->setEnabled(false);
    m_nameField->clear();
    m_nameTyping->closeWarning();
    m_shortcutView->setShortcutValue(std::nullopt);
    m_startChoice->setChoice(false, desktops::current);
    m_collectionView->clearSelection();
}

} // namespace dexaro
