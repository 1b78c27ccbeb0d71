#pragma once
// Placeholder until the GIO launcher lands: every launch is refused.
#include "platform/WorkspaceServices.h"

#include <memory>

namespace dexaro {

std::unique_ptr<WorkspaceServices> makeGioWorkspaceServices();

} // namespace dexaro
