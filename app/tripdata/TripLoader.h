#pragma once
// Creates the library's Trip object by its class identity, loading libwendlo.so from the
// application folder at run time.

#include "Wendlo.h"

#include <QString>

#include <memory>

enum TripLoaderError : int {
    errObjectNotSet = 91,     // the library or the class was not found
    errNoSuchInterface = 430, // the class does not support the expected interface
};

// Returns the new object, or null with *errNumber set to 91 or 430.
std::shared_ptr<_Trip> CreateTripObject(const QString& appPath, int* errNumber, const char* clsid = CLSID_Trip,
                                        const char* iid = IID__Trip);

// The library is found beside the program, so there is nothing to register on this platform.
// Kept so the start-up and the main window's recovery keep their call sites.
void RegisterLibrary();
