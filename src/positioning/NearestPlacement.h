#pragma once
// The placement whose frame on a monitor is nearest to a window's frame: the
// one sharing the most of both (the shared area over the area they cover
// together), def when none shares at least half.
#include "platform/WorkAreas.h"
#include "positioning/PositionName.h"

#include <QRect>

namespace dexaro {

PositionName nearestPlacement(const QRect& frame, const WorkAreas::Monitor& monitor);

// The frame a placement gives on the monitor, as the placers put it (centerFull
// fills the work area; the title bar is kept below the top panel).
QRect placementFrameOn(PositionName position, const WorkAreas::Monitor& monitor);

} // namespace dexaro
