#pragma once
// A trip field: its maximum length limits what the user puts in, never what the program loads.

#include "platform/LimitedLineEdit.h"

using TripTextBox = LimitedLineEdit;
