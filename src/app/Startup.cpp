#include "Startup.h"

#include <QApplication>
#include <QString>
#include <exception>

#include "app/Mainform.h"
#include "framework/Interface.h"
#include "framework/Prompter.h"

namespace vinta {

void ConfigureApplication() {
    QApplication::setApplicationName(AppTitle);
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
