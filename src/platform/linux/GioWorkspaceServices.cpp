#include "platform/linux/GioWorkspaceServices.h"

namespace dexaro {
namespace {

class Refusing final : public WorkspaceServices {
public:
    void openApplication(const QString&, const OpenConfiguration&, OpenCompletion done) override {
        done(std::nullopt, QStringLiteral("Launching is not available."));
    }
    bool openURL(const QUrl&) override { return false; }
    bool openFile(const QString&) override { return false; }
    void terminate(const RunningApplication&) override {}
    void forceTerminate(const RunningApplication&) override {}
    bool isTerminated(const RunningApplication&) override { return true; }
};

} // namespace

std::unique_ptr<WorkspaceServices> makeGioWorkspaceServices() {
    return std::make_unique<Refusing>();
}

} // namespace dexaro
