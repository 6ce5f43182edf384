#pragma once
// The start-up routine and its checks.

// Runs the start-up, then the program's event loop; returns the process exit code.
int Main();
bool CheckDatabase();
void CheckProfile();
