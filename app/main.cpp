#include "platform/Look.h"
#include "shell/modMain.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    InstallLayoutFonts();
    InstallReadableFrames();
    // Docks and Wayland compositors find the icon and name through the installed desktop entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("odomark"));
    return Main();
}
