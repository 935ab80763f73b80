#pragma once
// The start's offer of work left unsaved by a run that did not end.

#include <QString>
#include <optional>

#include "recovery/Recovery.h"

namespace vinta {

class Prompter;

// The question: which file the work belongs to (新規 when it never had one)
// and when the copy was made.
QString RecoveryOfferText(const RecoveryCopy& copy);

// Offers the newest copy worth offering; copies not worth it are dropped on
// the way. Yes gives the copy; only No drops it. Escape or the box's close
// button leave it for the next start.
std::optional<RecoveryCopy> OfferRecoveryCopy(const RecoveryFolder& folder, Prompter& prompter);

}  // namespace vinta
