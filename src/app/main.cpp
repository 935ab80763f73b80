#include <QApplication>
#include <QFileInfo>
#include <cstdio>

#include "app/CommandLine.h"
#include "app/HandOver.h"
#include "app/Mainform.h"
#include "app/Startup.h"
#include "framework/GridWidget.h"
#include "framework/InstanceGuard.h"
#include "framework/QtMessages.h"

namespace {

std::vector<std::string> Arguments(const QStringList& all) {
    std::vector<std::string> out;
    for (qsizetype i = 1; i < all.size(); ++i) out.push_back(all[i].toStdString());
    return out;
}

// By its absolute path: the name is remembered, and handed to a copy that
// runs in another folder.
QString FileToOpen(const vinta::CommandLine& line) {
    if (line.kind != vinta::CommandLine::Kind::kRun || line.file.empty()) return {};
    return QFileInfo(QString::fromStdString(line.file)).absoluteFilePath();
}

int WrongUsage(const vinta::CommandLine& line) {
    std::fprintf(stderr, "vinta: %s\n%s", line.error.c_str(), vinta::HelpText().c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // Before the guard and before any display: these answer while a copy runs
    // and on a machine without a screen.
    const vinta::CommandLine early = vinta::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (early.kind == vinta::CommandLine::Kind::kHelp) return std::fputs(vinta::HelpText().c_str(), stdout), 0;
    if (early.kind == vinta::CommandLine::Kind::kVersion) return std::fputs(vinta::VersionText().c_str(), stdout), 0;

    vinta::InstanceGuard guard("Vinta");
    const QString socketPath = vinta::HandOverSocketPath(guard.Path());
    if (!guard.Acquired()) {  // another copy runs: it gets the file
        QCoreApplication app(argc, argv);
        const vinta::CommandLine line =
            vinta::ParseCommandLine(vinta::WithoutToolkitOptions(Arguments(QCoreApplication::arguments())));
        if (line.kind == vinta::CommandLine::Kind::kError) return WrongUsage(line);
        vinta::HandOverFailure failure;
        if (vinta::HandOver(socketPath, FileToOpen(line), 3000, &failure)) return 255;
        std::fprintf(stderr, "vinta: %s\n", failure.why.c_str());
        return failure.refused ? 2 : 1;
    }
    vinta::QuietQtMessages();
    QApplication app(argc, argv);
    vinta::ConfigureApplication();
    // Qt has taken its own options (-platform, -style, …) out by now.
    const vinta::CommandLine line = vinta::ParseCommandLine(Arguments(QCoreApplication::arguments()));
    if (line.kind == vinta::CommandLine::Kind::kError) return WrongUsage(line);
    const QString file = FileToOpen(line);
    vinta::QtPrompter prompter(nullptr);
    return vinta::RunGuarded(prompter, [&file, &socketPath] {
        vinta::TForm1 window(nullptr, vinta::DefaultSettingsPath());
        window.FormCreate(file);
        vinta::ReportFirstPaint(*window.Schedule1()->viewport());
        vinta::HandOverServer handOver(socketPath);
        vinta::ServeWindow(handOver, window);
        window.show();
        return QApplication::exec();
    });
}
