#include <QApplication>

#include "app/Mainform.h"
#include "app/Startup.h"
#include "framework/InstanceGuard.h"

int main(int argc, char** argv) {
    vinta::InstanceGuard guard("Vinta");
    if (!guard.Acquired()) return 255;  // another copy runs
    QApplication app(argc, argv);
    vinta::ConfigureApplication();
    vinta::QtPrompter prompter(nullptr);
    return vinta::RunGuarded(prompter, [] {
        vinta::TForm1 window(nullptr, vinta::DefaultSettingsPath());
        window.show();
        return QApplication::exec();
    });
}
