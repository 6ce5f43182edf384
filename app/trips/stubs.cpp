#include "trips/frmAddTrip.h"
#include "trips/frmEditTrip.h"

frmAddTrip::frmAddTrip(QWidget* parent) : QWidget(parent) { setObjectName("frmAddTrip"); }
frmEditTrip::frmEditTrip(QWidget* parent) : QWidget(parent) { setObjectName("frmEditTrip"); }
