#pragma once
// Pieces the Creator and the Editor share: the screen title, the save and
// delete buttons, and what a workspace's contents are read from.
#include "model/Records.h"
#include "model/WorkspaceStore.h"

#include <QList>
#include <QSet>
#include <QString>
#include <functional>
#include <optional>
#include <utility>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QWidget;

namespace dexaro {

class AppListCollectionView;
class LinkListView;
class LinkPopover;
class MASShortcutView;
class WSTextField;
struct AuthoringContext;
struct InstalledApps;

// "Create Workspace" / "Edit Workspace": two bold labels side by side.
QHBoxLayout* screenTitle(const QString& first, const QString& second, QWidget* parent);
// Margins of a screen's root layout for its width: the content is at most
// maxContentWidth wide and centred, so that a large window reads as well as a small one.
inline constexpr int maxContentWidth = 1480;
void fitScreenMargins(QWidget* screen);

// A caption above a control, in the screen's secondary text style.
QLabel* captionLabel(const QString& text, QWidget* parent);
// One column of a screen's form row: the caption above its control.
void addFormColumn(QHBoxLayout* form, const QString& caption, QWidget* control, QWidget* buddy,
                   int stretch);
// The name field of both screens, named "Workspace name" for screen readers.
WSTextField* makeNameField(const QString& placeholder, QWidget* parent);
// The shortcut recorder of both screens, on the program's user defaults.
MASShortcutView* makeShortcutRecorder(const AuthoringContext& context, QWidget* parent);
// The web-link and file-link popovers, each toggled by its button in the picker's header.
std::pair<LinkPopover*, LinkPopover*> makeLinkPopovers(AppListCollectionView* picker,
                                                       QWidget* parent);

// A push button of the screens' size, named for screen readers.
QPushButton* screenButton(const QString& text, const QString& accessibleDescription,
                          QWidget* parent);

// The selected applications that the last scan found, in the order of the
// scan (the grid's order), so the stored order does not depend on hashing.
QStringList chosenApplications(const QSet<QString>& selected, const InstalledApps& scan);
// The selected applications among those the grid offers, in its order: the
// scanned ones, then the kept ones (AppListCollectionView::setKeptApps).
QStringList chosenApplications(const QSet<QString>& selected, const QList<AppListModel>& offered);

// Tiles for the stored applications that the scan does not list: named as
// messages name them, "(not installed)" when the entry cannot be read.
QList<AppListModel> keptApplications(const QStringList& stored, const InstalledApps& scan);

// The link rows as the user typed them.
QList<URLLinkModel> urlLinks(const LinkListView& list);
QList<FileURLLinkModel> fileLinks(const LinkListView& list);

// What stops a save, as its alert shows it.
struct Refusal {
    QString message;
    QString informative;
};

// The checks both screens make before they store a workspace, in their order:
// the trimmed name (emptyInformative is the screen's own text for an empty
// one), a duplicate (nameTaken asks the store), the applications, and links
// whose text holds the separators of stored links (they would be cut apart when
// read back), then web links whose address can never open. The first that
// fails answers its refusal.
std::optional<Refusal> refusalFor(const QString& name, const QString& emptyInformative,
                                  const std::function<bool()>& nameTaken, const QStringList& apps,
                                  const LinkListView& urls, const LinkListView& files);

// The name between double quotes, as the confirmation and success texts show it.
QString quoted(const QString& name);

// The one text for a workspace that was stored (done: "created", "updated",
// "deleted") while parts of the operation failed, as the catalog lists them.
QString partlyDoneText(const QString& done, const QString& name, const QStringList& notDone);

} // namespace dexaro
