#include "Startup.h"

#include <QString>
#include <exception>

#include "framework/Prompter.h"

namespace vinta {

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
