#pragma once
// Texts laid out once and drawn many times. A printed schedule repeats its
// dates, numbers, names and captions on every page; laying each out again
// (and once more to measure it) is most of what drawing text costs.

#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QString>
#include <utility>
#include <vector>

namespace vinta {

class ShapedTexts {
public:
    struct Shaped {
        QList<QGlyphRun> runs;  // positions from the line's top left
        int width = 0;          // as QFontMetrics::horizontalAdvance measures
        qreal ascent = 0;
    };
    // The text laid out in `font`; nullptr for a text the painter must lay
    // out itself (control characters, which a line layout would break on).
    const Shaped* Find(const QFont& font, const QString& text);

private:
    std::vector<std::pair<QFont, QHash<QString, Shaped>>> fonts_;
    int count_ = 0;
};

}  // namespace vinta
