#pragma once

class QAbstractItemView;
class Query;

// Mouse-wheel row stepping: one row per wheel event, whatever the size of the step.
// The event is consumed either way; the control's own wheel scrolling never runs.
// Events without vertical movement (scroll phases, sideways swipes) step nothing and
// reach the control unchanged.
//
// Grid variant: while the query is open, a wheel turned towards the user moves the
// query's current row forward, any other step moves it back (the grid follows the
// query's current row).
void AttachGridWheelStepping(QAbstractItemView* grid, Query* query);

// List variant: while the list has a selected row, the list receives a Down arrow
// key press for a wheel turned towards the user and an Up arrow otherwise.
void AttachListWheelStepping(QAbstractItemView* list);
