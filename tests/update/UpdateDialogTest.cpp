#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QTcpServer>
#include <QUrl>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>
#include <fstream>

#include "LoopbackServer.h"
#include "framework/HttpClient.h"
#include "framework/Prompter.h"
#include "runtime/Http.h"
#include "runtime/Profile.h"
#include "runtime/Sjis.h"
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
    LoopbackServer server(LoopbackServer::Reply(Ok("1.1.0.0\r\nhttp://vinta.example/get\r\n" + sjis::Lit("新しいこと") + "\r\n" +
                                                   sjis::Lit("もう一行") + "\r\n")));
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
// a 404 page is a failed check, not a version.
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
    EXPECT_TRUE(e->newVer->text().isEmpty());
    EXPECT_EQ(texts.latest, "1.0.0.5");
    EXPECT_EQ(e->lStatus->text(), QStringLiteral("最新バージョンを確認できませんでした"));
    EXPECT_TRUE(statusTexts.contains(QStringLiteral("Get Failed")));
    EXPECT_EQ(statusTexts.last(), QStringLiteral("HTTP 404"));
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
    EXPECT_EQ(d->lStatus->text(), QStringLiteral("最新バージョンを確認できませんでした"));
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

// Whatever a server answers is handled at once and shown as it is: no
// markup, no picture loaded, Shift-JIS notes read as such, a memo of at most
// a thousand lines however many come.
TEST_F(UpdateDialog, AnyReplyIsPlainTextAndQuick) {
    std::string many = "1.1\nhttp://vinta.example/get\n";
    while (many.size() + 3 <= http::ReplyReader::kMaxBody) many += "x\n";
    const int manyNotes = static_cast<int>(std::count(many.begin(), many.end(), '\n')) - 2;
    const std::string notes = sjis::Lit("新機能：一覧の印刷");
    struct Case {
        std::string body;
        QString latest;
        QString memoStart;
        int memoLines;
        int omitted;  // the count the memo's last line gives
    } cases[] = {{"<img src=\"/etc/vinta.png\"><b>9</b>\nhttp://x/\n<b>bold</b>\n", "<img src=\"/etc/vinta.png\"><b>9</b>",
                  "<b>bold</b>", 1, 0},
                 {"2.0\nhttp://x/\n" + notes + "\n", "2.0", QStringLiteral("新機能：一覧の印刷"), 1, 0},
                 {sjis::Lit("２．０（春版）") + "\nhttp://x/\n", QStringLiteral("２．０（春版）"), QString(), 1, 0},
                 {many, "1.1", QStringLiteral("x"), 1001, manyNotes - 1000},
                 // The last line without its break is still a line left out.
                 {many + "x", "1.1", QStringLiteral("x"), 1001, manyNotes - 1000 + 1}};
    for (const Case& c : cases) {
        LoopbackServer server(LoopbackServer::Reply(Ok(c.body)));
        auto d = Open(server.Url());
        QElapsedTimer clock;
        clock.start();
        d->bVerCheck->click();
        EXPECT_LT(clock.elapsed(), 1000) << c.memoLines << " lines";
        EXPECT_EQ(d->newVer->text(), c.latest);
        EXPECT_EQ(d->newVer->textFormat(), Qt::PlainText);
        EXPECT_EQ(d->lStatus->textFormat(), Qt::PlainText);
        EXPECT_TRUE(d->Memo1->toPlainText().startsWith(c.memoStart));
        EXPECT_EQ(d->Memo1->blockCount(), c.memoLines);
        if (c.omitted > 0) {
            EXPECT_EQ(d->Memo1->document()->lastBlock().text(), QStringLiteral("（以下 %1 行は省略しました）").arg(c.omitted));
        }
    }
}

// Lines kept up to the limit; every line after it counted, an empty one and
// a last one without its break too.
TEST(VersionFile, LinesKeptAndLeftOut) {
    const struct {
        const char* body;
        size_t max, kept, rest;
    } cases[] = {
        {"a\nb\nc", 3, 3, 0}, {"a\nb\nc\n", 3, 3, 0}, {"a\nb\nc", 2, 2, 1},   {"a\nb\nc\n", 2, 2, 1},
        {"a\nb\nc\nd", 2, 2, 2}, {"a\nb\n\n", 2, 2, 1}, {"a\nb\n\nd", 2, 2, 2}, {"", 2, 0, 0},
        {"a", 0, 0, 1},         {"\n", 0, 0, 1},
    };
    for (const auto& c : cases) {
        size_t rest = 99;
        EXPECT_EQ(VersionFileLines(c.body, c.max, rest).size(), c.kept) << c.body << " / " << c.max;
        EXPECT_EQ(rest, c.rest) << c.body << " / " << c.max;
    }
}

// A check that got no version says so and why; it never reads as up to date.
TEST_F(UpdateDialog, AFailedCheckIsNeverUpToDate) {
    quint16 gone;
    {
        LoopbackServer s([](QTcpSocket&, const std::string&) {});
        gone = s.Port();
    }
    QTcpServer resets;
    ASSERT_TRUE(resets.listen(QHostAddress::LocalHost, 0));
    int accepted = 0;
    QObject::connect(&resets, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* s = resets.nextPendingConnection()) {
            ++accepted;
            s->abort();
        }
    });
    LoopbackServer banner(LoopbackServer::Reply("SSH-2.0-OpenSSH_9.2\r\n"));
    const std::pair<std::string, const char*> cases[] = {
        {"http://127.0.0.1:" + std::to_string(gone) + "/v.txt", "Connection Failed"},
        {"http://127.0.0.1:" + std::to_string(resets.serverPort()) + "/v.txt", "No HTTP Reply"},
        {banner.Url(), "No HTTP Reply"},
        {"ftp://vinta.example/v.txt", "Unsupported scheme: ftp"},
        {"", "Empty URL"},
        {"http://[::1/v.txt", "Invalid host"}};
    for (const auto& [url, reason] : cases) {
        auto d = Open(url);
        d->bVerCheck->click();
        EXPECT_EQ(d->lStatus->text(), QStringLiteral("最新バージョンを確認できませんでした")) << url;
        EXPECT_EQ(d->SB->currentMessage(), QString::fromLatin1(reason)) << url;
        EXPECT_FALSE(d->bDownload->isEnabled()) << url;
    }
    EXPECT_EQ(accepted, 1) << "one connection a press";
}

// The download button hands only web addresses to the browser.
TEST_F(UpdateDialog, OnlyWebAddressesAreOpened) {
    const std::pair<std::string, QString> cases[] = {
        {"https://vinta.example/get", QStringLiteral("https://vinta.example/get")},
        {"http://vinta.example/" + sjis::Lit("新版") + ".deb", QStringLiteral("http://vinta.example/新版.deb")},
        {"file:///etc/passwd", {}},
        {"/usr/bin/xterm", {}},
        {"smb://server/share/setup.exe", {}},
        {"vinta.desktop", {}}};
    for (const auto& [address, browser] : cases) {
        texts.download = address;
        opened.clear();
        prompter.asked.clear();
        auto d = Open("http://127.0.0.1:1/");
        d->bDownloadClick();
        EXPECT_EQ(QUrl(opened), QUrl(browser)) << address;
        EXPECT_EQ(prompter.asked.size(), browser.isEmpty() ? 1u : 0u) << address;
        if (browser.isEmpty() && !prompter.asked.empty()) {
            EXPECT_TRUE(prompter.asked[0].text.contains(QString::fromStdString(address))) << address;
        }
    }
}

TEST(AboutDialog, ShowsTheBuildsVersion) {
    TAboutDlg about;
    EXPECT_EQ(about.Version->text().toStdString(), FileVersion());
    EXPECT_EQ(about.windowTitle(), QStringLiteral("バージョン情報"));
    EXPECT_EQ(about.size(), QSize(265, 111));
    EXPECT_FALSE(FileVersion().empty());
    EXPECT_EQ(about.findChild<QLabel*>(QStringLiteral("ProgramIcon"))->pixmap().size(), QSize(32, 32));
    // In the middle of the screen, whatever window it belongs to.
    QWidget owner;
    owner.setGeometry(0, 0, 200, 100);
    TAboutDlg centred(&owner);
    centred.show();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((centred.frameGeometry().center() - screen.center()).manhattanLength(), 2);
}

}  // namespace
}  // namespace vinta
