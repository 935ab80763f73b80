#include "framework/ShapedTexts.h"

#include <QTextLayout>
#include <QTextOption>
#include <algorithm>

namespace vinta {

namespace {

// Enough for a page's distinct texts many times over; memory stays flat
// however many pages are drawn.
constexpr int kMaxShaped = 8192;

bool HasControl(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20; });
}

ShapedTexts::Shaped Lay(const QFont& font, const QString& text) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    return {layout.glyphRuns(), qRound(line.horizontalAdvance()), line.ascent()};
}

}  // namespace

const ShapedTexts::Shaped* ShapedTexts::Find(const QFont& font, const QString& text) {
    if (HasControl(text)) return nullptr;
    auto f = std::find_if(fonts_.begin(), fonts_.end(), [&font](const auto& e) { return e.first == font; });
    if (f == fonts_.end()) f = fonts_.insert(fonts_.end(), {font, {}});
    auto it = f->second.constFind(text);
    if (it != f->second.constEnd()) return &*it;
    if (count_ >= kMaxShaped) {
        for (auto& e : fonts_) e.second.clear();
        count_ = 0;
    }
    ++count_;
    return &*f->second.insert(text, Lay(font, text));
}

}  // namespace vinta
