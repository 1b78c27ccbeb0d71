#include "authoring/WSEditorViewController.h"

#include "activation/WorkspaceActivation.h"
#include "activation/WorkspaceCatalog.h"
#include "authoring/AppListCollectionView.h"
#include "authoring/AuthoringWidgets.h"
#include "authoring/InstalledAppsScanner.h"
#include "authoring/LinkPopover.h"
#include "authoring/NameChecks.h"
#include "authoring/StartChoiceView.h"
#include "authoring/WSEditorListLoader.h"
#include "authoring/WSEmptyStateView.h"
#include "authoring/WSNameCheckerPopover.h"
#include "authoring/WSNameTyping.h"
#include "authoring/WSTextField.h"
#include "model/Packing.h"
#include "model/WorkspaceNames.h"
#include "model/WorkspaceStore.h"
#include "platform/Alerts.h"
#include "shortcuts/MASShortcutView.h"
#include "style/BusySpinner.h"
#include "style/Colors.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>
#include <tuple>

namespace dexaro {

namespace {

// Pop-up titles stay unique, so that every entry can be told apart (also by a
// screen reader): a name that an earlier entry already shows gets a number.
QStringList uniqueTitles(const QList<WSListModelPtr>& list) {
    QStringList titles;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QString name = i == 0 ? WSEditorViewController::placeholderTitle
                                    : displayedWorkspaceName(list[i]->wsName);
        QString title = name;
        for (int n = 2; titles.contains(title); ++n)
            title = QStringLiteral("%1 (%2)").arg(name).arg(n);
        titles << title;
    }
    return titles;
}

} // namespace

WSEditorViewController::WSEditorViewController(const AuthoringContext& context, QWidget* parent)
    : WSMainView(parent), m_context(context),
      m_positionManager(*context.positionsStore), m_wsList{std::make_shared<WSListModel>()} {
    setObjectName(QStringLiteral("WSEditorViewController"));
    setAccessibleName(QStringLiteral("Edit workspace"));
    setColors(colorFromHex(0xfbfbfd), std::nullopt);
    buildView();

    m_scanner = new InstalledAppsScanner(*context.desktopEntries, *context.alerts,
                                         context.scanDefaultApps, alertTitle, this);
    connect(m_scanner, &InstalledAppsScanner::scanFinished, this,
            &WSEditorViewController::scanFinished);
    // The spinner runs until the first list is in the grid.
    m_collectionView->setBusy(true);
    m_loader = new WSEditorListLoader(context.catalog->store().context().path(), this);
    connect(m_loader, &WSEditorListLoader::loaded, this, &WSEditorViewController::listLoaded);
    connect(m_loader, &WSEditorListLoader::failed, this, &WSEditorViewController::listFailed);

    // The chooser takes the focus when the main window shows the Editor.
    setFocusProxy(m_popUpButton);
    showNoSelection();
    refillPopUp();
}

WSEditorViewController::~WSEditorViewController() = default;

void WSEditorViewController::buildView() {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(36, 28, 36, 24);
    root->setSpacing(12);
    root->addLayout(screenTitle(QStringLiteral("Edit"), QStringLiteral("Workspace"), this));

    auto* form = new QHBoxLayout;
    form->setSpacing(28);
    auto* chooser = new QWidget(this);
    auto* chooserRow = new QHBoxLayout(chooser);
    chooserRow->setContentsMargins(0, 0, 0, 0);
    m_popUpButton = new QComboBox(chooser);
    m_popUpButton->setObjectName(QStringLiteral("popUpButton"));
    m_popUpButton->setAccessibleName(QStringLiteral("Workspace to edit"));
    m_popUpButton->setMinimumWidth(220);
    m_popUpButton->setMinimumHeight(30);
    m_popUpButton->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_popUpButton->setMinimumContentsLength(18);
    m_spinner = new BusySpinner(chooser);
    m_spinner->setFixedSize(22, 22);
    m_spinner->setAccessibleName(QStringLiteral("Loading workspaces"));
    m_spinner->hide();
    chooserRow->addWidget(m_popUpButton, 1);
    chooserRow->addWidget(m_spinner);
    addFormColumn(form, QStringLiteral("Workspace"), chooser, m_popUpButton, 3);

    m_nameField = makeNameField(QStringLiteral("Edit Workspace's name"), this);
    m_nameField->setMinimumWidth(240);
    addFormColumn(form, QStringLiteral("Name"), m_nameField, m_nameField, 3);
    m_shortcutView = makeShortcutRecorder(m_context, this);
    addFormColumn(form, QStringLiteral("Shortcut"), m_shortcutView, m_shortcutView, 1);
    form->addStretch(1);
    root->addLayout(form);
    root->addSpacing(6);

    m_pages = new QStackedLayout;
    m_emptyView = new WSEmptyStateView(this);
    m_emptyView->setObjectName(QStringLiteral("emptyView"));
    m_editingPage = new QWidget(this);
    auto* editing = new QVBoxLayout(m_editingPage);
    editing->setContentsMargins(0, 0, 0, 0);
    editing->setSpacing(12);
    m_startChoice = new StartChoiceView(m_editingPage);
    editing->addWidget(m_startChoice);
    editing->addWidget(captionLabel(QStringLiteral("Select Workspace's apps"), m_editingPage));
    m_collectionView = new AppListCollectionView(PositionPopoverWindowType::editor, m_editingPage);
    m_collectionView->setObjectName(QStringLiteral("appListCollectionView"));
    m_collectionView->setPositionCaches(nullptr, &m_positionManager);
    m_collectionView->positionsPopover()->setNotice(m_context.placementLimit);
    m_collectionView->positionsPopover()->setScreensSource(
        [this] { return placementScreens(m_context.workAreas, m_context.windows); });
    m_positionManager.optionsSource = [this](const QString& wsID) {
        return m_context.catalog ? m_context.catalog->options(wsID) : WorkspaceOptions{};
    };
    editing->addWidget(m_collectionView, 1);
    m_pages->addWidget(m_emptyView);
    m_pages->addWidget(m_editingPage);
    root->addLayout(m_pages, 1);

    auto* buttons = new QHBoxLayout;
    m_deleteButton = screenButton(QStringLiteral("Delete"),
                                  QStringLiteral("Delete the selected workspace"), this);
    m_deleteButton->setObjectName(QStringLiteral("deleteButton"));
    m_saveButton =
        screenButton(QStringLiteral("Save"),
                     QStringLiteral("Store the changes of the selected workspace"), this);
    m_saveButton->setObjectName(QStringLiteral("saveButton"));
    buttons->addWidget(m_deleteButton);
    buttons->addStretch();
    buttons->addWidget(m_saveButton);
    root->addLayout(buttons);

    m_nameWarning = new WSNameCheckerPopover(this);
    m_nameTyping = new WSNameTyping(m_nameField, m_nameWarning, m_saveButton,
                                    [this] { return m_currentIndex != 0; });
    std::tie(m_urlPopover, m_filePopover) = makeLinkPopovers(m_collectionView, this);
    connect(m_popUpButton, &QComboBox::activated, this,
            &WSEditorViewController::popUpWsButtonSelectionHandler);
    connect(m_saveButton, &QPushButton::clicked, this, &WSEditorViewController::saveWS);
    connect(m_deleteButton, &QPushButton::clicked, this, &WSEditorViewController::deleteWS);
}

bool WSEditorViewController::isLoadingList() const {
    return m_loader->isLoading();
}

// ---- appearing ----------------------------------------------------------------

void WSEditorViewController::resizeEvent(QResizeEvent* event) {
    WSMainView::resizeEvent(event);
    fitScreenMargins(this);
}

void WSEditorViewController::showEvent(QShowEvent* event) {
    WSMainView::showEvent(event);
    m_startChoice->setDesktops(placementScreens(nullptr, m_context.windows).desktops);
    m_scanner->scanInstalledApps();
    if (m_context.consumeEditorTag && m_context.consumeEditorTag())
        reloadList();
    else
        finishAppearing();
    if (m_currentIndex == 0)
        m_emptyView->play();
}

void WSEditorViewController::scanFinished() {
    m_collectionView->setInstalledApps(m_scanner->result().apps);
    m_collectionView->clearSearch();
    if (!m_firstScanDone) {
        m_firstScanDone = true;
        m_collectionView->setBusy(false);
        if (std::exchange(m_saveAfterScan, false))
            saveWS();
    }
}

void WSEditorViewController::reloadList() {
    // Nothing can be edited while the list is away: the screen returns to no
    // selection at once, not only when the list is back.
    showNoSelection();
    m_collectionView->clearSearch();
    setLoadingLook(true);
    m_loader->load();
}

void WSEditorViewController::setLoadingLook(bool loading) {
    m_popUpButton->setVisible(!loading);
    m_deleteButton->setVisible(!loading);
    m_spinner->setVisible(loading);
    if (loading)
        m_spinner->animation().play(0, 1);
    else
        m_spinner->animation().stop();
}

void WSEditorViewController::listLoaded(const QList<WSListModelPtr>& list) {
    m_wsList = list;
    setLoadingLook(false);
    showNoSelection();
    finishAppearing();
    emit listReloaded();
}

void WSEditorViewController::listFailed(const QString& error) {
    setLoadingLook(false);
    m_context.alerts->warn(alertTitle, QStringLiteral("Could not get Workspace's list!"), error);
    finishAppearing();
}

void WSEditorViewController::finishAppearing() {
    m_pages->setCurrentWidget(m_currentIndex == 0 ? static_cast<QWidget*>(m_emptyView)
                                                  : m_editingPage);
    refillPopUp();
    m_popUpButton->setEnabled(true);
}

void WSEditorViewController::refillPopUp() {
    m_popUpButton->clear();
    m_popUpButton->addItems(uniqueTitles(m_wsList));
    if (m_currentIndex >= m_wsList.size())
        m_currentIndex = 0;
    m_popUpButton->setCurrentIndex(m_popUpButton->count() >= 2 ? m_currentIndex : 0);
    // The recorder follows what the pop-up shows: the selected workspace's key
    // again, or the scratch key.
    if (m_currentIndex == 0)
        resetRecorderToScratchKey();
    else
        m_shortcutView->setAssociatedUserDefaultsKey(m_wsList[m_currentIndex]->wsID);
}

void WSEditorViewController::resetRecorderToScratchKey() {
    m_shortcutView->setAssociatedUserDefaultsKey(scratchKey);
    m_shortcutView->setShortcutValue(std::nullopt);
}

void WSEditorViewController::closeLinkPopovers() {
    if (m_urlPopover->isShown())
        m_urlPopover->closePopover();
    if (m_filePopover->isShown())
        m_filePopover->closePopover();
}

void WSEditorViewController::showNoSelection() {
    m_currentIndex = 0;
    m_pages->setCurrentWidget(m_emptyView);
    if (isVisible())
        m_emptyView->play();
    m_collectionView->clearSelection();
    m_saveButton->setEnabled(false);
    m_deleteButton->setEnabled(false);
    m_shortcutView->setEnabled(false);
    m_nameTyping->closeWarning();
    m_nameField->clear();
    m_nameField->setEnabled(false);
    // The last workspace's links do not linger behind the empty state.
    closeLinkPopovers();
    m_urlPopover->list()->empty();
    m_filePopover->list()->empty();
}

// ---- selecting ------------------------------------------------------------------

void WSEditorViewController::popUpWsButtonSelectionHandler(int index) {
    if (index < 0 || index >= m_wsList.size())
        return;
    m_nameTyping->closeWarning();
    m_collectionView->clearSelection();
    closeLinkPopovers();
    if (index == 0) {
        resetRecorderToScratchKey();
        showNoSelection();
        return;
    }
    m_currentIndex = index;
    const WSListModel& ws = *m_wsList[index];
    m_pages->setCurrentWidget(m_editingPage);
    m_positionManager.currentSelectedWSID = ws.wsID;
    m_positionManager.positionsFor(ws.wsID);
    const WorkspaceOptions options = m_positionManager.optionsOf(ws.wsID);
    m_startChoice->setChoice(options.switchOnAtStart, options.startDesktop);
    // Applications the scan does not list keep a tile of their own, so that
    // "Save" keeps them unless the user takes them out.
    m_collectionView->setKeptApps(keptApplications(ws.apps, m_scanner->result()));
    m_collectionView->setSelectedAppURLs(QSet<QString>(ws.apps.cbegin(), ws.apps.cend()));
    m_nameField->setEnabled(true);
    m_nameField->setText(ws.wsName);
    m_saveButton->setEnabled(!trimmedWorkspaceName(ws.wsName).isEmpty() &&
                             !isWorkspaceNameTooLong(ws.wsName));
    m_urlPopover->list()->setFromStoredStrings(ws.urlLinkAdresses);
    m_filePopover->list()->setFromStoredStrings(ws.fileURLLinkAdresses);
    m_deleteButton->setEnabled(true);
    m_shortcutView->setEnabled(true);
    m_shortcutView->setAssociatedUserDefaultsKey(ws.wsID);
}

// ---- updating -------------------------------------------------------------------

void WSEditorViewController::refuse(const QString& message, const QString& informative) {
    m_context.alerts->warn(alertTitle, message, informative);
}

void WSEditorViewController::saveWS() {
    if (m_currentIndex <= 0 || m_currentIndex >= m_wsList.size())
        return;
    // Until the first scan is in, nothing tells which picked applications are
    // installed: the save waits for it instead of refusing them.
    if (!m_firstScanDone) {
        m_saveAfterScan = true;
        return;
    }
    const QString name = trimmedWorkspaceName(m_nameField->text());
    const QStringList apps =
        chosenApplications(m_collectionView->selectedAppURLs(),
                           m_collectionView->originalInstalledAppsListForSearchBar());
    const WSListModelPtr ws = m_wsList[m_currentIndex];
    WorkspaceCatalog& catalog = *m_context.catalog;
    // The workspace's own stored name is no duplicate of itself.
    if (const std::optional<Refusal> refusal = refusalFor(
            name,
            QStringLiteral("Workspace's name does not contain any character. Please, choose "
                           "right name!"),
            [&] {
                return catalog.store().workspaceNameExists(
                    name, sameWorkspaceName(name, ws->wsName) ? 1 : 0);
            },
            apps, *m_urlPopover->list(), *m_filePopover->list())) {
        refuse(refusal->message, refusal->informative);
        return;
    }

    const WorkspaceContents contents{name, apps, urlLinks(*m_urlPopover->list()),
                                     fileLinks(*m_filePopover->list())};
    const WorkspaceCatalog::Result result = catalog.update(
        ws->wsID, contents, m_positionManager.placementsFor(ws->wsID, apps),
        m_positionManager.optionsFor(ws->wsID, apps, m_startChoice->switchOnAtStart(),
                                     m_startChoice->startDesktop()));
    if (!result.stored()) {
        refuse(QStringLiteral("Workspace could not be updated!"), result.error);
        return;
    }

    ws->wsName = name;
    ws->apps = apps;
    ws->urlLinkAdresses = unpack(packURLLinks(contents.urls), separators::urls);
    ws->fileURLLinkAdresses = unpack(packFileLinks(contents.files), separators::fileURLs);
    const QStringList titles = uniqueTitles(m_wsList);
    for (int i = 0; i < m_popUpButton->count() && i < titles.size(); ++i)
        m_popUpButton->setItemText(i, titles[i]);
    m_nameField->setText(name);
    closeLinkPopovers();
    if (result.notDone.isEmpty()) {
        m_context.alerts->inform(
            alertTitle, QStringLiteral("Updated Workspace!"),
            QStringLiteral("Workspace with a name %1 updated successfully!").arg(quoted(name)));
    } else {
        m_context.alerts->warn(alertTitle, QStringLiteral("Updated Workspace, not all of it!"),
                               partlyDoneText(QStringLiteral("updated"), name, result.notDone));
    }
}

// ---- deleting -------------------------------------------------------------------

void WSEditorViewController::deleteWS() {
    const int index = m_currentIndex;
    if (index <= 0 || index >= m_wsList.size())
        return;
    const WSListModelPtr ws = m_wsList[index];
    WorkspaceActivation& activation = m_context.catalog->activation();
    const QString question =
        QStringLiteral("Do you really want to delete workspace with the name %1?")
            .arg(quoted(ws->wsName));
    // A workspace that is on leaves what it opened beyond Dexaro's reach:
    // the confirmation says so and can switch it off first.
    if (activation.isOn(ws->wsID)) {
        const int answer = m_context.alerts->ask(
            deleteAlertTitle, QStringLiteral("Are sure?"),
            QStringLiteral("%1 It is switched on: the applications it opened keep running "
                           "unless it is switched off first.")
                .arg(question),
            {QStringLiteral("Switch Off and Delete"), QStringLiteral("Delete"),
             QStringLiteral("Cancel")});
        if (answer == 2 || answer < 0)
            return;
        if (answer == 0 && activation.switchOff(ws->wsID) == WorkspaceActivation::Answer::busy) {
            m_context.alerts->warn(deleteAlertTitle,
                                   QStringLiteral("Workspace is being switched on or off"),
                                   QStringLiteral("Try again once it is done."));
            return;
        }
    } else if (m_context.alerts->ask(deleteAlertTitle, QStringLiteral("Are sure?"), question,
                                     {QStringLiteral("OK"), QStringLiteral("Cancel")}) != 0) {
        return;
    }

    const WorkspaceCatalog::Result result = m_context.catalog->remove(ws->wsID);
    if (!result.stored()) {
        m_context.alerts->warn(
            deleteAlertTitle,
            QStringLiteral("Could not delete Workspace with the name %1!").arg(ws->wsName),
            result.error);
        return;
    }

    m_wsList.removeAt(index);
    m_popUpButton->removeItem(index);
    m_popUpButton->setCurrentIndex(0);
    resetRecorderToScratchKey();
    showNoSelection();
    if (!result.notDone.isEmpty())
        m_context.alerts->warn(
            deleteAlertTitle, QStringLiteral("Deleted Workspace, not all of it!"),
            partlyDoneText(QStringLiteral("deleted"), ws->wsName, result.notDone));
    // The Editor reloads now; its tag is not needed for that.
    if (m_context.consumeEditorTag)
        m_context.consumeEditorTag();
    reloadList();
}

} // namespace dexaro
