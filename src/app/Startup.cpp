#include "Startup.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

namespace {
class FirstPaint : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject*, QEvent* e) override {
        // Told once the paint this event starts has been done.
        if (e->type() == QEvent::Paint)
            QTimer::singleShot(0, [] {
                const auto now = std::chrono::system_clock::now().time_since_epoch();
                std::fprintf(stderr, "first-paint %lld\n",
                             static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
                std::fflush(stderr);
                std::_Exit(0);
            });
        return false;
    }
};
}  // namespace

void ReportFirstPaint(QWidget& pane) {
    if (qEnvironmentVariableIsEmpty("VINTA_FIRST_PAINT")) return;
    pane.installEventFilter(new FirstPaint(&pane));
}

}  // namespace vinta
