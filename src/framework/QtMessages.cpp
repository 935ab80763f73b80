#include "framework/QtMessages.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

namespace vinta {

void QuietQtMessages() {
    const char* wanted = std::getenv("VINTA_QT_MESSAGES");
    if (wanted && *wanted && *wanted != '0') return;
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtCriticalMsg && type != QtFatalMsg) return;
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    });
}

}  // namespace vinta
