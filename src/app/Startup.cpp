#include "Startup.h"

#include <QApplication>
#include <QIcon>
#include <QString>
#include <exception>

#include "app/Mainform.h"
#include "framework/Interface.h"
#include "framework/Prompter.h"

namespace vinta {

void ConfigureApplication() {
    QApplication::setApplicationName(AppTitle);
    // Ties the windows to vinta.desktop, which names the installed icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("vinta"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("vinta")));
    UseJapaneseInterface();
}

int RunGuarded(Prompter& prompter, const std::function<int()>& start) {
    try {
        return start();
    } catch (const std::exception& e) {
        prompter.Error(QString::fromUtf8(e.what()));
    } catch (...) {
        prompter.Error(QString());
    }
    return 0;
}

}  // namespace vinta
