#pragma once
// Qt's own notes on standard error ("This plugin does not support
// propagateSizeHints()", "QPainter::begin(): Returned false") are not the
// user's business: a failure the user must know of is said by the program
// itself, one line each. They are kept for whoever sets VINTA_QT_MESSAGES=1.

namespace vinta {

// Installs the filter; warnings and below from Qt are dropped unless asked
// for, critical and fatal ones still printed.
void QuietQtMessages();

}  // namespace vinta
