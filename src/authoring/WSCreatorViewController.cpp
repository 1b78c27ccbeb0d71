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
#include "platform/Alerts.h"
#include "shortcuts/MASShortcutView.h"
#include "style/Colors.h"

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
    m_startChoice = new StartChoiceView(this);
    root->addWidget(m_startChoice);

    m_selectAppLabel = captionLabel(QStringLiteral("Select Workspace's apps"), this);
    root->addSpacing(6);
    root->addWidget(m_selectAppLabel);
    m_collectionView = new AppListCollectionView(PositionPopoverWindowType::create, this);
    m_collectionView->setObjectName(QStringLiteral("collectionView"));
    m_collectionView->setPositionCaches(&m_positionManager, nullptr);
    m_collectionView->positionsPopover()->setScreensSource(
        [this] { return placementScreens(m_context.workAreas, m_context.windows); });
    root->addWidget(m_collectionView, 1);

    auto* buttons = new QHBoxLayout;
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

void WSCreatorViewController::showEvent(QShowEvent* event) {
    WSMainView::showEvent(event);
    m_collectionView->clearSearch();
    m_startChoice->setDesktops(placementScreens(nullptr, m_context.windows).desktops);
    m_scanner->scanInstalledApps();
}

void WSCreatorViewController::scanFinished() {
    m_collectionView->setInstalledApps(m_scanner->result().apps);
    if (!m_firstScanDone) {
        m_firstScanDone = true;
        m_collectionView->setBusy(false);
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

void WSCreatorViewController::resetScreen() {
    m_saveButton->setEnabled(false);
    m_nameField->clear();
    m_nameTyping->closeWarning();
    m_shortcutView->setShortcutValue(std::nullopt);
    m_startChoice->setChoice(false, desktops::current);
    m_collectionView->clearSelection();
}

} // namespace dexaro
