#include "overview/workstation_row_cursor.h"

namespace tarnwick {

void WorkstationRowCursor::CursorRegion::resetCursorRects() {
    View::resetCursorRects();
    addCursorRect(bounds(), platform::ui::Cursor::pointingHand);
}

}  // namespace tarnwick
