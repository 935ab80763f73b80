#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>

#include "LoopbackServer.h"
#include "framework/HttpClient.h"
#include "framework/Prompter.h"
#include "runtime/Profile.h"
#include "update/Newversion.h"
#include "update/UpdateCheck.h"

namespace vinta {
namespace {

using testing::LoopbackServer;

class UpdateDialog : public ::testing::Test {
protected:
    UpdateTexts texts;
    ScriptedPrompter prompter;
    QStringList statusTexts;
    QString opened;
    std::unique_ptr<TNewVersionDlg> Open(const std::string& url, const std::string& current = "1.0.0.0") {
        auto d = std::make_unique<TNewVersionDlg>(texts, QString::fromStdString(url), prompter);
        texts.current = current;
        d->isConnected = [] { return true; };
        d->openUrl = [this](const QString& u) { opened = u; };
        QObject::connect(d->SB, &QStatusBar::messageChanged, [this](const QString& m) {
            if (!m.isEmpty()) statusTexts << m;
        });
        return d;
    }
    static std::string Ok(const std::string& body) {
        return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    }
};

TEST_F(UpdateDialog, ANewerVersionOffersItsDownload) {
    LoopbackServer server(LoopbackServer::Reply(Ok("1.1.0.0\r\nhttp://vinta.example/get\r\n新しいこと\r\nもう一行\r\n")));
    auto d = Open(server.Url());
    EXPECT_EQ(d->curVer->text(), QStringLiteral("1.0.0.0"));
    EXPECT_FALSE(d->bDownload->isEnabled());
    d->bVerCheck->click();
    EXPECT_EQ(d->newVer->text(), QStringLiteral("1.1.0.0"));
    EXPECT_EQ(d->lStatus->text(), QStringLiteral("最新バージョンが存在します"));
    EXPECT_TRUE(d->bDownload->isEnabled());
    EXPECT_EQ(d->Memo1->toPlainText(), QStringLiteral("新しいこと\nもう一行"));
    d->bDownload->click();
    EXPECT_EQ(opened, QStringLiteral("http://vinta.example/get"));
    ASSERT_GE(statusTexts.size(), 5);
    EXPECT_EQ(statusTexts.first(), QStringLiteral("接続"));
    EXPECT_TRUE(statusTexts[1].contains(QRegularExpression(QStringLiteral("^\\d+ bytes of \\d+ received$"))));
    EXPECT_EQ(statusTexts.mid(statusTexts.size() - 3),
              (QStringList{"Get Success", "Status", "切断"}));
    EXPECT_EQ(texts.download, "http://vinta.example/get") << "kept for the program run";
}

// The comparison is by bytes: 1.0.0.10 is older than 1.0.0.9.
TEST_F(UpdateDialog, VersionsCompareByteByByte) {
    struct Case {
        const char* current;
        const char* latest;
        bool newer;
    };
    for (Case c : {Case{"1.0.0.9", "1.0.0.10", false}, Case{"1.0.0.0", "1.0.0.0", false},
                   Case{"1.0.0.0", "0.9", false}, Case{"1.0", "1.0.0.1", true}, Case{"", "0.1", true}}) {
        LoopbackServer server(LoopbackServer::Reply(Ok(std::string(c.latest) + "\n")));
        auto d = Open(server.Url(), c.current);
        d->bVerCheck->click();
        EXPECT_EQ(d->lStatus->text(), c.newer ? QStringLiteral("最新バージョンが存在します")
                                              : QStringLiteral("現在のバージョンが最新です"))
            << c.current << " / " << c.latest;
        EXPECT_EQ(d->bDownload->isEnabled(), c.newer);
    }
}

// One line only: the address keeps its earlier value; CR LF and LF alike;
// a 404 page's first line is taken as it is.
TEST_F(UpdateDialog, LinesOfTheVersionFile) {
    texts.download = "http://earlier";
    LoopbackServer one(LoopbackServer::Reply(Ok("1.0.0.5")));
    auto d = Open(one.Url());
    d->bVerCheck->click();
    EXPECT_EQ(texts.latest, "1.0.0.5");
    EXPECT_EQ(texts.download, "http://earlier");
    EXPECT_TRUE(d->Memo1->toPlainText().isEmpty());
    EXPECT_EQ(VersionFileLines("a\r\nb\r\nc"), VersionFileLines("a\nb\nc"));
    LoopbackServer missing(LoopbackServer::Reply("HTTP/1.0 404 Not Found\r\n\r\n<html>Not Found</html>\r\n"));
    auto e = Open(missing.Url());
    e->bVerCheck->click();
    EXPECT_EQ(e->newVer->text(), QStringLiteral("<html>Not Found</html>"));
    EXPECT_TRUE(statusTexts.contains(QStringLiteral("Get Failed")));
}

TEST_F(UpdateDialog, NotConnectedAsksToConnectFirst) {
    LoopbackServer server(LoopbackServer::Reply(Ok("2.0")));
    auto d = Open(server.Url());
    d->isConnected = [] { return false; };
    d->bVerCheck->click();
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].kind, QStringLiteral("warn"));
    EXPECT_EQ(prompter.asked[0].caption, QStringLiteral("確認"));
    EXPECT_EQ(prompter.asked[0].text,
              QStringLiteral("インターネットに接続出来ていません。\r\nインターネットに接続後に実行してください。"));
    EXPECT_EQ(server.connections, 0);
}

// Pressing again while a check waits starts nothing; closing ends the check.
TEST_F(UpdateDialog, SecondPressAndClosingDuringACheck) {
    LoopbackServer silent([](QTcpSocket&, const std::string&) {});
    auto d = Open(silent.Url());
    d->show();
    QTimer::singleShot(100, [&] {
        d->bVerCheck->click();
        d->close();
    });
    d->bVerCheck->click();
    EXPECT_EQ(silent.connections, 1);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(d->lStatus->text(), QStringLiteral("現在のバージョンが最新です"));
}

// A real web server on loopback, as a company would serve the file.
TEST_F(UpdateDialog, AgainstPythonsWebServer) {
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty()) GTEST_SKIP() << "python3 is not installed";
    QTemporaryDir root;
    QDir().mkpath(root.filePath(QStringLiteral("pc/vinta")));
    std::ofstream(root.filePath(QStringLiteral("pc/vinta/version.txt")).toStdString(), std::ios::binary)
        << "9.0.0.0\nhttp://intranet/vinta.deb\nLF lines\n";
    QProcess web;
    web.setWorkingDirectory(root.path());
    web.start(python, {QStringLiteral("-u"), QStringLiteral("-m"), QStringLiteral("http.server"), QStringLiteral("0"),
                       QStringLiteral("--bind"), QStringLiteral("127.0.0.1")});
    ASSERT_TRUE(web.waitForStarted(5000));
    QString port;
    QDeadlineTimer deadline(10000);
    QString said;
    while (port.isEmpty() && !deadline.hasExpired()) {
        web.waitForReadyRead(200);
        said += QString::fromUtf8(web.readAllStandardOutput());
        auto m = QRegularExpression(QStringLiteral("port (\\d+)")).match(said);
        if (m.hasMatch()) port = m.captured(1);
    }
    ASSERT_FALSE(port.isEmpty()) << "the web server did not start";
    QTemporaryDir ini;
    const QString settings = ini.filePath(QStringLiteral("VINTA.ini"));
    Profile(settings.toStdString())
        .WriteString("ENV", "VersionURL", "http://127.0.0.1:" + port.toStdString() + "/pc/vinta/version.txt");
    auto d = Open(VersionUrl(settings).toStdString());
    d->bVerCheck->click();
    EXPECT_EQ(d->newVer->text(), QStringLiteral("9.0.0.0"));
    EXPECT_EQ(texts.download, "http://intranet/vinta.deb");
    EXPECT_EQ(d->Memo1->toPlainText(), QStringLiteral("LF lines"));
    web.kill();
    web.waitForFinished(3000);
    EXPECT_EQ(VersionUrl(ini.filePath(QStringLiteral("none.ini"))), QStringLiteral("http://vinta.example/pc/vinta/version.txt"))
        << "the built-in address without a setting";
}

TEST(AboutDialog, ShowsTheBuildsVersion) {
    TAboutDlg about;
    EXPECT_EQ(about.Version->text().toStdString(), FileVersion());
    EXPECT_EQ(about.windowTitle(), QStringLiteral("バージョン情報"));
    EXPECT_EQ(about.size(), QSize(265, 111));
    EXPECT_FALSE(FileVersion().empty());
}

}  // namespace
}  // namespace vinta
