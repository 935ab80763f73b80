#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/Mainform.h"
#include "app/Startup.h"
#include "framework/Canvas.h"
#include "framework/InstanceGuard.h"

int main(int argc, char** argv) {
    vinta::InstanceGuard guard("Vinta");
    if (!guard.Acquired()) return 255;  // another copy runs
    QApplication app(argc, argv);
    QApplication::setApplicationName(vinta::AppTitle);
    QApplication::setApplicationDisplayName(vinta::AppTitle);
    vinta::InstallFontSubstitutes();
    // The interface is Japanese: Qt's own buttons and dialogs follow suit.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QTranslator qtText;
    if (qtText.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtText);
    vinta::QtPrompter prompter(nullptr);
    return vinta::RunGuarded(prompter, [] {
        vinta::TForm1 window(nullptr, vinta::DefaultSettingsPath());
        window.show();
        return QApplication::exec();
    });
}
