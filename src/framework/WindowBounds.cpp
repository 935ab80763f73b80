#include "WindowBounds.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "runtime/Profile.h"

namespace vinta {

namespace {

int64_t Overlap(const QRect& a, const QRect& b) {
    QRect i = a.intersected(b);
    return i.isEmpty() ? 0 : int64_t{i.width()} * i.height();
}

// The smallest window that can still be used and moved.
constexpr int kMinWidth = 160;
constexpr int kMinHeight = 120;

int Place(int pos, int size, int lo, int span) { return std::clamp(pos, lo, lo + span - size); }

}  // namespace

QRect FitOnScreen(const QRect& bounds, const QList<QRect>& screens, const QSize& fallback) {
    if (screens.isEmpty()) return bounds;
    int w = bounds.width() > 0 ? bounds.width() : fallback.width();
    int h = bounds.height() > 0 ? bounds.height() : fallback.height();
    QRect wanted(bounds.x(), bounds.y(), std::max(w, 1), std::max(h, 1));
    const QRect* best = &screens.front();
    int64_t bestOverlap = 0;
    for (const QRect& s : screens)
        if (int64_t o = Overlap(wanted, s); o > bestOverlap) {
            bestOverlap = o;
            best = &s;
        }
    const QRect& area = *best;
    w = std::clamp(w, std::min(kMinWidth, area.width()), area.width());
    h = std::clamp(h, std::min(kMinHeight, area.height()), area.height());
    return {Place(bounds.x(), w, area.x(), area.width()), Place(bounds.y(), h, area.y(), area.height()), w, h};
}

QRect RememberedBounds(const Profile& ini, const std::string& suffix, const QRect& current, const QSize& fallback) {
    const QRect stored(ini.ReadInteger("ENV", "X" + suffix, current.x()), ini.ReadInteger("ENV", "Y" + suffix, current.y()),
                       ini.ReadInteger("ENV", "W" + suffix, current.width()),
                       ini.ReadInteger("ENV", "H" + suffix, current.height()));
    return FitOnScreen(stored, AvailableScreenAreas(), fallback);
}

void RememberBounds(Profile& ini, const std::string& suffix, const QRect& bounds) {
    ini.WriteInteger("ENV", "X" + suffix, bounds.x());
    ini.WriteInteger("ENV", "Y" + suffix, bounds.y());
    ini.WriteInteger("ENV", "W" + suffix, bounds.width());
    ini.WriteInteger("ENV", "H" + suffix, bounds.height());
}

QList<QRect> AvailableScreenAreas() {
    QList<QRect> areas;
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary) areas << primary->availableGeometry();
    for (QScreen* s : QGuiApplication::screens())
        if (s != primary) areas << s->availableGeometry();
    return areas;
}

}  // namespace vinta
