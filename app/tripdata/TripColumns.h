#pragma once
// The columns of the two trip lists: the field each shows, its header, alignment and design width.

#include "tripdata/TripTable.h"

#include <Qt>

#include <vector>

// The trip editing window's sixteen columns, or the trip selection window's four.
enum class TripColumnSet { EditList, SelectionList };

struct TripListColumn {
    TripTable::Field field;
    const char* header;
    Qt::Alignment alignment;
    int width; // design width in pixels
};

// A list's columns, left to right.
const std::vector<TripListColumn>& TripColumnLayout(TripColumnSet columns);
