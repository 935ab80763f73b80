#include "Interface.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "Canvas.h"

namespace vinta {

void UseJapaneseInterface() {
    InstallFontSubstitutes();
    // Every widget without a face of its own (the dialogs, message boxes,
    // menus) takes the window's: left to the desktop, a missing default face
    // would change every dialog's size and could leave text undrawn.
    QFont face(QStringLiteral("ＭＳ Ｐゴシック"));
    face.setPixelSize(12);
    QApplication::setFont(face);
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    static QTranslator qtText;
    if (qtText.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtText);
}

}  // namespace vinta
