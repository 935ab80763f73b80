#pragma once
// Why a file could not be written, as a user of the window is told it: the
// common causes in Japanese, the system's own text after them.

#include <string>

namespace vinta {

// "ディスクがいっぱいです（No space left on device）"; the system's text
// alone for a cause without words of its own.
std::string ReasonText(int err);

}  // namespace vinta
