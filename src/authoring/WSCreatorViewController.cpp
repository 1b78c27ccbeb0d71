#include "authoring/WSCreatorViewController.h"

#include "authoring/AppListCollectionView.h"
#include "authoring/AuthoringWidgets.h"
#include "authoring/InstalledAppsScanner.h"
#include "authoring/LinkPopover.h"
#include "authoring/NameChecks.h"
#include "authoring/WSNameCheckerPopover.h"
#include "authoring/WSNameTyping.h"
#include "authoring/WSTextField.h"
#include "model/WorkspaceStore.h"
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
    : WSMainView(parent), m_context(context),
      m_positionManager(*context.positionsStore, *context.positions) {
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

    m_selectAppLabel = captionLabel(QStringLiteral("Select Workspace's apps"), this);
    root->addSpacing(6);
    root->addWidget(m_selectAppLabel);
    m_collectionView = new AppListCollectionView(PositionPopoverWindowType::create, this);
    m_collectionView->setObjectName(QStringLiteral("collectionView"));
    m_collectionView->setPositionCaches(&m_positionManager, nullptr);
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
        if (!m_storingShortcut)
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
    m_scanner->scanInstalledApps();
}

void WSCreatorViewController::scanFinished() {
    m_collectionView->setInstalledApps(m_scanner->result().apps);
    if (!m_firstScanDone) {
        m_firstScanDone = true;
        m_collectionView->setBusy(false);
    }
}

void WSCreatorViewController::refuse(const QString& message, const QString& informative) {
    m_context.alerts->warn(alertTitle, message, informative);
}

void WSCreatorViewController::saveWS() {
    const QString name = trimmedWorkspaceName(m_nameField->text());
    const QStringList apps =
        chosenApplications(m_collectionView->selectedAppURLs(), m_scanner->result());
    WorkspaceStore& store = *m_context.store;
    if (const std::optional<Refusal> refusal = refusalFor(
            name,
            QStringLiteral("Workspace's name does not contain any character. Please, choose a "
                           "right name!"),
            [&] { return store.workspaceNameExists(name, 0); }, apps, *m_urlPopover->list(),
            *m_filePopover->list())) {
        refuse(refusal->message, refusal->informative);
        return;
    }

    ObjectStore& objects = store.context();
    const ObjectStore::ObjectId record = store.insertWorkspace();
    const WorkspaceContents contents{name, apps, urlLinks(*m_urlPopover->list()),
                                     fileLinks(*m_filePopover->list())};
    const QString wsID = store.fillWorkspace(record, contents);
    QString error;
    if (!objects.save(&error)) {
        // Nothing of the failed workspace stays behind: no pending record for a
        // later save to write, no shortcut. What the user typed stays on screen.
        objects.discardChanges(record);
        refuse(QStringLiteral("Could not save the Workspace!"), error);
        return;
    }

    // Stored: now its shortcut and placements, under the new identifier.
    storeShortcut(wsID);
    m_positionManager.save(wsID, apps);
    if (m_context.workspaceListChanged)
        m_context.workspaceListChanged();
    resetScreen();
    m_context.alerts->inform(
        alertTitle, QStringLiteral("Added new Workspace!"),
        QStringLiteral("Workspace with a name %1 created successfully!").arg(quoted(name)));
    m_urlPopover->list()->empty();
    m_filePopover->list()->empty();
}

void WSCreatorViewController::storeShortcut(const QString& wsID) {
    const std::optional<MASShortcut> shortcut = m_shortcutValue;
    m_storingShortcut = true;
    if (shortcut) {
        m_shortcutView->setAssociatedUserDefaultsKey(wsID);
        m_shortcutView->setShortcutValue(shortcut);
        m_shortcutView->setAssociatedUserDefaultsKey(QString());
    }
    m_shortcutView->setShortcutValue(std::nullopt);
    m_storingShortcut = false;
}

void WSCreatorViewController::resetScreen() {
    m_saveButton->setEnabled(false);
    m_nameField->clear();
    m_nameTyping->closeWarning();
    m_shortcutValue.reset();
    m_collectionView->clearSelection();
}

} // namespace dexaro
