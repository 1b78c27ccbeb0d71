#pragma once
// The popover's content controller. Its root view is a CustomNSPopoverView,
// 385 wide and a third of the primary screen's height tall; the workspace list
// and the settings icon live in it.
#include "model/Records.h"

#include <QList>
#include <QObject>
#include <functional>

namespace dexaro {

class CustomNSPopoverView;
class WorkspaceStore;

// What the popover's controller reaches in the application delegate (which
// lives in a higher layer and fills these in when it creates the controller).
struct StatusBarHost {
    // True when the tag was marked out of date; removes the mark.
    std::function<bool(const QString& tag)> consumeWorkspaceListUpdate;
    std::function<void()> closePopover;
};

class StatusBarItemViewController : public QObject {
    Q_OBJECT
public:
    static constexpr int viewWidth = 385;

    explicit StatusBarItemViewController(QObject* parent = nullptr);
    ~StatusBarItemViewController() override;

    StatusBarHost appDelegate;
    // The store's main context; may be absent.
    WorkspaceStore* coreDataContext = nullptr;
    QList<WSListModelPtr> wsList;

    // The root view, created on first use. The controller owns it until it is
    // put into a window; the window owns it afterwards.
    CustomNSPopoverView* view();
    bool isViewLoaded() const { return m_view != nullptr; }

    // Called once the root view exists, and each time the popover has opened.
    virtual void viewDidLoad() {}
    virtual void viewDidAppear() {}

    // Height of the root view for a screen of that height.
    static int viewHeightFor(int screenHeight) { return screenHeight / 3; }

private:
    void loadView();
    CustomNSPopoverView* m_view = nullptr;
};

} // namespace dexaro
