#pragma once
// The desktop platform of the benchmark process, made by its main().
#include "platform/Platform.h"

namespace dexaro::bench {

Platform& desktop();

} // namespace dexaro::bench
