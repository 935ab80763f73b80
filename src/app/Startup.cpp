#include "Startup.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QIcon>
#include <QString>
#include <exception>

#include "app/Mainform.h"
#include "framework/Interface.h"
#include "framework/Prompter.h"

namespace vinta {

void ConfigureApplication() {
    QApplication::setApplicationName(AppTitle);
    // Ties the windows to vinta.desktop, which names the installed icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("vinta"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("vinta")));
    UseJapaneseInterface();
}

int RunGuarded(Prompter& prompter, const std::function<int()>& start) {
    try {
        return start();
    } catch (const std::exception& e) {
        prompter.Error(QString::fromUtf8(e.what()));
    } catch (...) {
        prompter.Error(QString());
    }
    return 0;
}

QString DefaultSettingsPath() {
    QString dir = QCoreApplication::applicationDirPath();
    QString beside = QDir(dir).filePath(QStringLiteral("VINTA.ini"));
    if (QFileInfo::exists(beside) || QFileInfo(dir).isWritable()) return beside;
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QDir(config).mkpath(QStringLiteral("Vinta"));
    return QDir(config).filePath(QStringLiteral("Vinta/VINTA.ini"));
}

}  // namespace vinta
