// The command line, and a second start handing its file to the running copy.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>

#include "AppFixture.h"
#include "app/CommandLine.h"
#include "app/HandOver.h"
#include "framework/InstanceGuard.h"
#include "runtime/Profile.h"

namespace vinta {
namespace {

using Kind = CommandLine::Kind;

TEST(CommandLines, FilesOptionsAndMistakes) {
    EXPECT_EQ(ParseCommandLine({}).kind, Kind::kRun);
    EXPECT_EQ(ParseCommandLine({"plan.kts"}).file, "plan.kts");
    EXPECT_EQ(ParseCommandLine({"--", "-odd.kts"}).file, "-odd.kts");
    EXPECT_EQ(ParseCommandLine({"-"}).file, "-");  // a name, not an option
    EXPECT_EQ(ParseCommandLine({"a.kts", "--help"}).kind, Kind::kHelp);
    EXPECT_EQ(ParseCommandLine({"-x", "--version"}).kind, Kind::kVersion);
    EXPECT_EQ(ParseCommandLine({"--", "--help"}).file, "--help");
    const CommandLine unknown = ParseCommandLine({"--bogus", "a.kts"});
    EXPECT_EQ(unknown.kind, Kind::kError);
    EXPECT_NE(unknown.error.find("--bogus"), std::string::npos);
    EXPECT_EQ(ParseCommandLine({"a.kts", "b.kts"}).kind, Kind::kError);
    EXPECT_EQ(ParseCommandLine({""}).kind, Kind::kError);
}

TEST(CommandLines, TheToolkitsOwnOptionsAreLeftToIt) {
    using Args = std::vector<std::string>;
    EXPECT_EQ(WithoutToolkitOptions({"-platform", "offscreen", "a.kts"}), Args{"a.kts"});
    EXPECT_EQ(WithoutToolkitOptions({"--style=fusion", "-reverse", "--bogus"}), Args{"--bogus"});
    EXPECT_EQ(WithoutToolkitOptions({"--", "-platform", "x"}), (Args{"--", "-platform", "x"}));
}

TEST(CommandLines, HelpAndVersionNeedNoDisplay) {
    for (const char* option : {"--help", "--version"}) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.insert("QT_QPA_PLATFORM", "xcb");  // would abort if a window were opened
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(VINTA_EXE), {QString::fromLatin1(option)});
        ASSERT_TRUE(p.waitForFinished(10000)) << option;
        EXPECT_EQ(p.exitCode(), 0) << option;
        const QByteArray out = p.readAllStandardOutput();
        EXPECT_TRUE(out.startsWith(option == std::string("--help") ? "usage: vinta" : "vinta ")) << out.data();
    }
}

TEST_F(MainWindow, AFileOnTheCommandLineWinsOverTheRememberedOne) {
    WriteSchedule(Path("remembered.kts"), "remembered");
    WriteSchedule(Path("named.kts"), "named");
    Profile(Path("VINTA.ini").toStdString()).WriteString("OPT", "FileName", Path("remembered.kts").toStdString());
    form = std::make_unique<TForm1>(&prompter, Path("VINTA.ini"));
    form->FormCreate(Path("named.kts"));
    EXPECT_EQ(form->FileName(), Path("named.kts"));
    EXPECT_EQ(Name0(), "named");
    EXPECT_TRUE(prompter.asked.empty());

    form.reset();
    form = std::make_unique<TForm1>(&prompter, Path("VINTA.ini"));
    form->FormCreate(Path("missing.kts"));
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_TRUE(Text(0).startsWith(QStringLiteral("ファイルが見つかりません。"))) << Text(0).toStdString();
}

// Pumps events until `done` or ten seconds.
template <class F>
bool Until(F done) {
    QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

class HandingOver : public MainWindow {
protected:
    // The second copy's end runs on a thread of its own: it blocks.
    void Send(const QString& path) {
        sent = std::thread([this, path] {
            ok = HandOver(socket, path);
            finished = true;
        });
        const bool done = Until([this] { return finished.load(); });
        sent.join();  // HandOver gives up by itself
        ASSERT_TRUE(done);
    }
    void SetUp() override {
        MainWindow::SetUp();
        socket = Path("Vinta.socket");
    }
    QString socket;
    std::thread sent;
    std::atomic<bool> ok{false}, finished{false};
};

TEST_F(HandingOver, TheRunningWindowOpensTheFile) {
    TForm1& w = Open();
    HandOverServer server(socket);
    ASSERT_TRUE(server.Listening());
    ServeWindow(server, w);
    WriteSchedule(Path("handed.kts"), "handed");
    Send(Path("handed.kts"));
    EXPECT_TRUE(ok);
    ASSERT_TRUE(Until([&] { return w.FileName() == Path("handed.kts"); }));
    EXPECT_EQ(Name0(), "handed");
    EXPECT_FALSE(w.Document().Modified());
}

TEST_F(HandingOver, UnsavedChangesAreAskedAboutFirst) {
    TForm1& w = Open();
    HandOverServer server(socket);
    ServeWindow(server, w);
    w.Document().SetModified(true);
    prompter.askAnswers = {Answer::kCancel};
    WriteSchedule(Path("handed.kts"), "handed");
    Send(Path("handed.kts"));
    EXPECT_TRUE(ok);
    ASSERT_TRUE(Until([&] { return !prompter.asked.empty(); }));
    EXPECT_NE(w.FileName(), Path("handed.kts"));
    EXPECT_TRUE(w.Document().Modified());
}

// A file handed over while a dialog is open waits for it to close: loaded
// under the task dialog, the resource list or the preview, it would be the
// file they then write into.
TEST_F(HandingOver, AFileWaitsWhileADialogIsOpen) {
    TForm1& w = Open();
    HandOverServer server(socket);
    ServeWindow(server, w);
    const std::pair<const char*, std::function<void()>> commands[] = {
        {"task", [&] { w.Schedule1DblClick(); }}, {"resources", [&] { w.ResEditClick(); }}, {"preview", [&] { w.Print1Click(); }}};
    int n = 0;
    for (const auto& [name, command] : commands) {
        const QString handed = Path(("handed-" + std::to_string(n++) + ".kts").c_str());
        WriteSchedule(handed, name);
        bool shown = false;
        w.AnswerDialogsWith([&](QDialog&) {
            shown = true;
            finished = false;
            Send(handed);
            EXPECT_TRUE(ok) << "the sender is answered at once";
            QDeadlineTimer moment(400);
            while (!moment.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            EXPECT_NE(w.FileName(), handed) << name << ": opened under the dialog";
            return int(QDialog::Rejected);
        });
        command();
        EXPECT_TRUE(shown) << name;
        w.Document().SetModified(false);
        EXPECT_TRUE(Until([&] { return w.FileName() == handed; })) << name << ": opened once it closed";
        EXPECT_EQ(Name0(), name);
    }
}

TEST_F(HandingOver, NoFileOnlyRaisesAndNoServerFailsInTime) {
    HandOverServer server(socket);
    QSignalSpy requested(&server, &HandOverServer::Requested);
    Send(QString());
    EXPECT_TRUE(ok);
    ASSERT_TRUE(Until([&] { return requested.count() == 1; }));
    EXPECT_EQ(requested.at(0).at(0).toString(), QString());

    QDeadlineTimer limit(5000);
    EXPECT_FALSE(HandOver(Path("nobody.socket"), QStringLiteral("/x.kts"), 300));
    EXPECT_FALSE(limit.hasExpired());
    EXPECT_FALSE(HandOver(socket, QStringLiteral("/two\nlines.kts"), 300));
    // A path longer than a request may be is refused whole, never cut off.
    finished = false;
    Send(QStringLiteral("/") + QString(70000, QLatin1Char('a')));
    EXPECT_FALSE(ok);
    QCoreApplication::processEvents();
    EXPECT_EQ(requested.count(), 1);
}

TEST_F(HandingOver, ASocketLeftByACrashNeverBlocksAStart) {
    // What a killed copy leaves: a bound socket file nobody listens on.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(socket);
    std::memcpy(addr.sun_path, name.constData(), static_cast<size_t>(name.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0) << std::strerror(errno);
    ::close(fd);
    ASSERT_TRUE(QFile::exists(socket));
    HandOverServer server(socket);
    EXPECT_TRUE(server.Listening());
    QSignalSpy requested(&server, &HandOverServer::Requested);
    Send(Path("a.kts"));
    EXPECT_TRUE(ok);
    ASSERT_TRUE(Until([&] { return requested.count() == 1; }));
}

// The lock of a copy that runs with its folder at `folder`.
std::unique_ptr<InstanceGuard> RunningCopyIn(const QString& folder) {
    const QByteArray kept = qgetenv("VINTA_RUNTIME_DIR");
    qputenv("VINTA_RUNTIME_DIR", folder.toUtf8());
    auto guard = std::make_unique<InstanceGuard>("Vinta");
    qputenv("VINTA_RUNTIME_DIR", kept);
    return guard;
}

// The real program started while a copy runs: it hands over the file, named
// from its own folder, and exits with 255.
TEST(SecondStart, HandsItsFileToTheRunningCopyAndExits) {
    QTemporaryDir dir;
    QTemporaryDir cwd;
    auto guard = RunningCopyIn(dir.path());
    ASSERT_TRUE(guard->Acquired());
    HandOverServer server(HandOverSocketPath(guard->Path()));
    QSignalSpy requested(&server, &HandOverServer::Requested);
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VINTA_RUNTIME_DIR", dir.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    second.setProcessEnvironment(env);
    second.setWorkingDirectory(cwd.path());
    second.start(QStringLiteral(VINTA_EXE), {QStringLiteral("plan.kts")});
    ASSERT_TRUE(Until([&] { return second.state() == QProcess::NotRunning; }));
    EXPECT_EQ(second.exitCode(), 255);
    ASSERT_TRUE(Until([&] { return requested.count() == 1; }));
    EXPECT_EQ(requested.at(0).at(0).toString(), cwd.path() + QStringLiteral("/plan.kts"));
}

// With a copy running, a mistake on the command line is told as without one,
// and a path that cannot be handed over says why: never a silent 255.
TEST(SecondStart, MistakesAndRefusalsAreToldWithACopyRunning) {
    QTemporaryDir running, alone;
    auto guard = RunningCopyIn(running.path());
    ASSERT_TRUE(guard->Acquired());
    HandOverServer server(HandOverSocketPath(guard->Path()));
    auto run = [](const QString& runtimeDir, const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VINTA_RUNTIME_DIR", runtimeDir);
        env.insert("XDG_RUNTIME_DIR", runtimeDir);  // so Qt has nothing to say of it
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(VINTA_EXE), args);
        Until([&] { return p.state() == QProcess::NotRunning; });
        return std::pair<int, QByteArray>(p.exitCode(), p.readAllStandardError());
    };
    const QStringList mistakes[] = {{"--bogus"}, {"a.kts", "b.kts"}, {"-platform", "offscreen", "--bogus"}};
    for (const QStringList& args : mistakes) {
        const auto withCopy = run(running.path(), args);
        EXPECT_EQ(withCopy.first, 2) << args.join(' ').toStdString();
        EXPECT_EQ(withCopy.second, run(alone.path(), args).second) << args.join(' ').toStdString();
    }
    const auto refused = run(running.path(), {QStringLiteral("two\nlines.kts")});
    EXPECT_EQ(refused.first, 2);
    EXPECT_TRUE(refused.second.contains("line break")) << refused.second.constData();
}

}  // namespace
}  // namespace vinta
