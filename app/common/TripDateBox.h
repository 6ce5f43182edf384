#pragma once
// The date box of the trip windows and reports: it reads and writes dates as trips store them.

class DateBox;
class QWidget;

DateBox* NewTripDateBox(QWidget* parent);
