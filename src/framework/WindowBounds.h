#pragma once
// Window bounds remembered in a settings file may come from another monitor
// layout, a hand edit or a damaged file; a window must still come up where
// the user can see and reach it.

#include <QList>
#include <QRect>
#include <QSize>
#include <string>

namespace vinta {

class Profile;

// The bounds moved, and shrunk where they are larger, so that the window lies
// wholly inside one screen's available area: the screen it overlaps most, or
// the first (primary) one when it overlaps none. A width or height of zero or
// less takes the fallback's. With no screens the bounds stay as they are.
QRect FitOnScreen(const QRect& bounds, const QList<QRect>& screens, const QSize& fallback);

// Bounds kept in section "ENV" under X, Y, W, H followed by `suffix`: read
// (a missing key keeps `current`'s value) and fitted on the screens as above,
// and written back.
QRect RememberedBounds(const Profile& ini, const std::string& suffix, const QRect& current, const QSize& fallback);
void RememberBounds(Profile& ini, const std::string& suffix, const QRect& bounds);

// The available areas (without panels and docks) of the screens, primary first.
QList<QRect> AvailableScreenAreas();

}  // namespace vinta
