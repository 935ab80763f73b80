#include "Interface.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "Canvas.h"
#include "runtime/Sjis.h"

namespace vinta {

QFont WindowFont() {
    QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
    f.setPixelSize(12);
    return f;
}

int WindowTextWidth(const StringGrid&, const std::string& sjisText) {
    return QFontMetrics(WindowFont()).horizontalAdvance(QString::fromStdString(sjis::ToUtf8(sjisText)));
}

void UseJapaneseInterface() {
    InstallFontSubstitutes();
    // Every widget without a face of its own (the dialogs, message boxes,
    // menus) takes the window's: left to the desktop, a missing default face
    // would change every dialog's size and could leave text undrawn.
    QApplication::setFont(WindowFont());
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    static QTranslator qtText;
    if (qtText.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtText);
}

}  // namespace vinta
