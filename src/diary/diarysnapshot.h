#pragma once

#include "tablesnapshot.h"

class DiaryListModel;

// The diary list as the exports write it: each entry's date, weather, mood and
// whole text, in list order; the date range runs from the earliest to the latest
// entry.
TableSnapshot diarySnapshot(const DiaryListModel& model);
