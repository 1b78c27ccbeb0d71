#pragma once
// One monitor with a fixed work area (a 30 px panel at the top, one of 24 px at
// the bottom, unless a test says otherwise).
#include "platform/WorkAreas.h"

namespace dexaro::test {

class FakeWorkAreas : public WorkAreas {
public:
    std::optional<Monitor> monitor = Monitor{QRect(0, 0, 1440, 900), QRect(0, 30, 1440, 846)};

    std::optional<Monitor> primary() override { return monitor; }
    std::optional<Monitor> monitorAt(const QPoint&) override { return monitor; }
};

} // namespace dexaro::test
