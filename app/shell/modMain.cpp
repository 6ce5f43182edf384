#include "shell/modMain.h"

#include <QApplication>

int Main() { return 0; }
bool CheckDatabase() { return false; }
void CheckProfile() {}
