// Placeholder until the library lands.
#include "Wendlo.h"
extern "C" WENDLO_EXPORT int WendloCreateObject(const char*, const char*, _Trip** o) { *o = nullptr; return WENDLO_CLASS_NOT_AVAILABLE; }
extern "C" WENDLO_EXPORT void WendloSetMessageHandler(WendloMessageHandler, void*) {}
extern "C" WENDLO_EXPORT void WendloSetStatementTrace(WendloStatementTrace, void*) {}
extern "C" WENDLO_EXPORT const char* WendloAppPath() { return ""; }
