#include "tripdata/TripColumns.h"

namespace {

constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment kCentre = Qt::AlignHCenter | Qt::AlignVCenter;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;

} // namespace

const std::vector<TripListColumn>& TripColumnLayout(TripColumnSet columns) {
    static const std::vector<TripListColumn> edit = {
        {TripTable::TripId, "Trip ID", kLeft, 60},
        {TripTable::Date, "Date", kCentre, 80},
        {TripTable::Destination, "Destination", kLeft, 160},
        {TripTable::Rate, "Rate", kRight, 50},
        {TripTable::StartOdometer, "Start Miles", kCentre, 75},
        {TripTable::EndOdometer, "End Miles", kCentre, 75},
        {TripTable::Miles, "Total Miles", kCentre, 75},
        {TripTable::Fuel, "Fuel", kRight, 70},
        {TripTable::Parking, "Parking", kRight, 70},
        {TripTable::Meals, "Meals", kRight, 70},
        {TripTable::Lodging, "Lodging", kRight, 70},
        {TripTable::Phone, "Phone", kRight, 70},
        {TripTable::Repairs, "Repairs", kRight, 70},
        {TripTable::Towing, "Towing", kRight, 70},
        {TripTable::Misc, "Misc. Exp", kRight, 70},
        {TripTable::Notes, "Notes", kLeft, 200},
    };
    // Design widths of the selection window are twips, 15 to a pixel.
    static const std::vector<TripListColumn> selection = {
        {TripTable::TripId, "Trip #", kLeft, 1000 / 15},
        {TripTable::Date, "Date", kCentre, 1500 / 15},
        {TripTable::Destination, "Destination", kCentre, 2500 / 15},
        {TripTable::Total, "Total", kRight, 1200 / 15},
    };
    return columns == TripColumnSet::SelectionList ? selection : edit;
}
