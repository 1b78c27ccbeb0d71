#pragma once
// The Creator's and the Editor's placement caches over a store of their own in
// a temporary folder, as the authoring screens get them from start-up.
#include "model/WorkspaceStore.h"
#include "positioning/AllPositionsHolder.h"
#include "positioning/PositionsDBManager.h"
#include "positioning/WSCreatorPositionManager.h"
#include "positioning/WSEditorPositionManager.h"

#include <QTemporaryDir>
#include <memory>

#include "support/RecordingAlerts.h"

namespace dexaro::test {

struct PositionCaches {
    QTemporaryDir dir;
    std::unique_ptr<ObjectStore> store =
        WorkspaceStore::openStore(dir.filePath(QStringLiteral("Dexaro.sqlite")), nullptr);
    RecordingAlerts alerts;
    PositionsDBManager db{*store, alerts};
    AllPositionsHolder holder;
    WSCreatorPositionManager creator;
    WSEditorPositionManager editor{db};
};

} // namespace dexaro::test
