#pragma once
// What the calendar control's state and its drawing share: the day count's
// epoch, date parts, colours and faces. Not for users of the control.

#include <QColor>
#include <QDate>
#include <cmath>

#include "components/File.h"
#include "framework/Canvas.h"

namespace vinta::kcal {

inline const qint64 kEpoch = QDate(1899, 12, 30).toJulianDay();
inline const QColor kGrey(128, 128, 128), kGridLine(192, 192, 192);
inline const char* const kWeekdays[] = {"月", "火", "水", "木", "金", "土", "日"};

inline QDate ToQDate(DateTimeValue dt) { return QDate::fromJulianDay(static_cast<qint64>(std::floor(dt)) + kEpoch); }
inline DateTimeValue DayOf(DateTimeValue dt) { return std::floor(dt); }
inline int HourOf(DateTimeValue t) { return static_cast<int>(std::floor((t - std::floor(t)) * 24 + 1e-9)); }
inline int MinuteOf(DateTimeValue t) {
    double minutes = (t - std::floor(t)) * 24 * 60 + 1e-6;
    return static_cast<int>(minutes) % 60;
}
inline int DaysIn(DateTimeValue dt) { return ToQDate(dt).daysInMonth(); }

inline FontSpec Font(const QString& name, bool bold, QColor color) {
    FontSpec f;
    f.name = name;
    f.height = 12;
    f.bold = bold;
    f.color = color;
    return f;
}
inline FontSpec Arial(bool bold, QColor color) { return Font(QStringLiteral("Arial"), bold, color); }
inline FontSpec Japanese(bool bold, QColor color) { return Font(QStringLiteral("ＭＳ Ｐゴシック"), bold, color); }

}  // namespace vinta::kcal
