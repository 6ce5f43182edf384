#include "platform/Look.h"
#include "shell/modMain.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    InstallLayoutFonts();
    return Main();
}
