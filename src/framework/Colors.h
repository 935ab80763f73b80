#pragma once
#include <QColor>
#include <QGuiApplication>
#include <QPalette>

namespace vinta {

// The colours the drawing rules name, and the desktop's system colours.
struct Colors {
    static QColor White() { return QColor(255, 255, 255); }
    static QColor Grey() { return QColor(128, 128, 128); }
    static QColor Black() { return QColor(0, 0, 0); }
    static QColor Window() { return QGuiApplication::palette().color(QPalette::Base); }
    static QColor WindowText() { return QGuiApplication::palette().color(QPalette::Text); }
    static QColor ButtonFace() { return QGuiApplication::palette().color(QPalette::Button); }
};

}  // namespace vinta
