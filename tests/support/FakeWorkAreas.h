#pragma once
// WorkAreas with one monitor, or none, set by the test.
#include "platform/WorkAreas.h"

namespace dexaro::test {

class FakeWorkAreas : public WorkAreas {
public:
    explicit FakeWorkAreas(std::optional<Monitor> monitor = std::nullopt) : monitor(monitor) {}
    std::optional<Monitor> primary() override { return monitor; }
    std::optional<Monitor> monitorAt(const QPoint&) override { return monitor; }

    std::optional<Monitor> monitor;
};

} // namespace dexaro::test
