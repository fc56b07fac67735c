// Putting a top-level window's frame, title bar included, at a place.
#pragma once
#include <QPoint>

class QWidget;

// Moves the window so that its frame's top left is at framePos, now and
// again once the window manager has framed it: until then Qt can only place
// the inside there, which leaves the title bar above the place and makes a
// stored place creep at every start. A window not yet shown is corrected
// when it is shown.
void PlaceFrameAt(QWidget* window, QPoint framePos);
