#include <QApplication>

#include "app/Mainform.h"
#include "framework/Canvas.h"
#include "framework/InstanceGuard.h"

int main(int argc, char** argv) {
    vinta::InstanceGuard guard("Vinta");
    if (!guard.Acquired()) return 255;  // another copy runs
    QApplication app(argc, argv);
    QApplication::setApplicationName(vinta::AppTitle);
    QApplication::setApplicationDisplayName(vinta::AppTitle);
    vinta::InstallFontSubstitutes();
    vinta::TForm1 window(nullptr, vinta::DefaultSettingsPath());
    window.show();
    return app.exec();
}
