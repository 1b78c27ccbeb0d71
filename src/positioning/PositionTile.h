#pragma once
// What the position picker needs of an application tile of the Creator's or
// Editor's application picker. The tile is a QWidget that also implements this.
#include "positioning/PositionName.h"

#include <QString>

namespace dexaro {

class PositionTile {
public:
    virtual PositionName itemPosition() const = 0; // def when nothing was chosen
    virtual void setItemPosition(PositionName position) = 0;
    virtual QString appURL() const = 0;

protected:
    ~PositionTile() = default;
};

} // namespace dexaro
