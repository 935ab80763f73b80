#pragma once
// The outermost frame of the program: an error that escapes start-up or the
// message loop is shown, and the program still ends in order.

#include <QString>

class QWidget;
#include <functional>

namespace vinta {

class Prompter;

// The application's name, interface language and fonts. No display name:
// window managers would show it after every window's own title.
void ConfigureApplication();

// Runs `start` (create the window, run the loop) and returns its exit code;
// an error it raises is shown through `prompter` (an error without a message
// as an empty one) and the result is 0.
int RunGuarded(Prompter& prompter, const std::function<int()>& start);

// VINTA.ini beside the executable when it is there or that folder is
// writable, otherwise in the user's configuration folder.
QString DefaultSettingsPath();

// For measuring start-up from outside: when VINTA_FIRST_PAINT is set, the
// moment the outline pane has first been painted (nanoseconds since 1970)
// goes to standard error as "first-paint N", and the program ends there.
void ReportFirstPaint(QWidget& pane);

}  // namespace vinta
