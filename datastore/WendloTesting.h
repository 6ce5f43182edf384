#pragma once
// Hooks for the library's own tests, present only in its test build (WENDLO_TESTING); the shipped
// library exports none of them.

#include "Wendlo.h"

extern "C" {

// Which step of the next object creations fails on purpose: 0 none, 1 finding the application folder,
// 2 making the connection object. Stays in force until set back to 0.
enum WendloInitFault : int {
    WENDLO_INIT_OK = 0,
    WENDLO_INIT_NO_APP_FOLDER = 1,
    WENDLO_INIT_NO_CONNECTION = 2,
};
WENDLO_EXPORT void WendloTestInitFault(int fault);
typedef void (*WendloTestInitFaultFn)(int);

// Makes the next count commits fail (error 10007), leaving the transaction open as a busy commit does.
WENDLO_EXPORT void WendloTestCommitFaults(int count);
typedef void (*WendloTestCommitFaultsFn)(int);
}
