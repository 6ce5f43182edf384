#include "common/TripDateBox.h"

#include "platform/DateBox.h"
#include "tripdata/TripDates.h"

DateBox* NewTripDateBox(QWidget* parent) {
    return new DateBox(DateBox::Form{ParseTripDate, DateToText}, parent);
}
