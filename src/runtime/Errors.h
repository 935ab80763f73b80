#pragma once
#include <stdexcept>
#include <string>

namespace vinta {

// Text that should hold a number or a date and does not. It ends the command
// that read it; the application's error box shows its message.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace vinta
