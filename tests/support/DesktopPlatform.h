#pragma once
// The desktop platform of the test process (offscreen, or the X11 session of
// the X11 tests): made by the tests' main() after the QApplication and
// destroyed before it.
#include "platform/Platform.h"

namespace dexaro::test {

Platform& desktop();

} // namespace dexaro::test
