#include "Newversion.h"

#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTextCursor>
#include <QUrl>
#include <exception>

#include "framework/HttpClient.h"
#include "framework/ImageList.h"
#include "framework/Prompter.h"
#include "update/UpdateCheck.h"

namespace vinta {

namespace {

QFont PGothic() {
    QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
    f.setPixelSize(12);
    return f;
}

QFont Arial() {
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(12);
    return f;
}

QLabel* Label(QWidget* parent, const QString& text, int x, int y, const char* name = nullptr) {
    auto* l = new QLabel(text, parent);
    if (name) l->setObjectName(QString::fromLatin1(name));
    l->move(x, y);
    l->adjustSize();
    return l;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& text, QRect r) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(r);
    return b;
}

QFrame* Bevel(QWidget* parent, QRect r) {
    auto* f = new QFrame(parent);
    f->setFrameStyle(QFrame::Box | QFrame::Sunken);
    f->setGeometry(r);
    return f;
}

const char* const kSuccess[] = {"Get", "Options", "Head", "Post", "Put", "Patch", "Copy",
                                "Move", "Delete", "Link", "UnLink", "Trace", "Wrapped"};

}  // namespace

TAboutDlg::TAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutDlg"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFont(PGothic());
    setFixedSize(265, 111);
    Bevel(this, {4, 4, 258, 73});
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setGeometry(16, 16, 33, 33);
    icon->setPixmap(MakeCommandImages().Icon(13).pixmap(32, 32));
    Label(this, QStringLiteral("Vinta ver."), 68, 28);
    Version = Label(this, QStringLiteral("1.00"), 128, 28, "Version");
    Version->setText(QString::fromStdString(FileVersion()));
    Version->adjustSize();
    Label(this, QStringLiteral("ガントチャート工程表"), 68, 52);
    QPushButton* ok = Button(this, "OKBtn", QStringLiteral("OK"), {90, 81, 75, 25});
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { done(1); });
}

TNewVersionDlg::TNewVersionDlg(UpdateTexts& texts, QString url, Prompter& prompter, QWidget* parent)
    : QDialog(parent), texts_(texts), url_(std::move(url)), prompter_(prompter) {
    setObjectName(QStringLiteral("NewVersionDlg"));
    setWindowTitle(QStringLiteral("最新バージョンの確認"));
    setFont(PGothic());
    setFixedSize(351, 237);
    Bevel(this, {2, 2, 347, 185});
    Label(this, QStringLiteral("現在のバージョン"), 12, 10);
    Label(this, QStringLiteral("最新のバージョン"), 12, 28);
    Label(this, QStringLiteral("ver."), 111, 9)->setFont(Arial());
    Label(this, QStringLiteral("ver."), 110, 27)->setFont(Arial());
    curVer = Label(this, QStringLiteral("9.9.9.9"), 135, 9, "curVer");
    newVer = Label(this, QString(), 135, 27, "newVer");
    for (QLabel* l : {curVer, newVer}) {
        l->setFont(Arial());
        l->resize(80, 16);
    }
    lStatus = Label(this, QString(), 12, 48, "lStatus");
    lStatus->resize(200, 16);
    QPalette red = lStatus->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    lStatus->setPalette(red);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(12, 66, 328, 112);
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    bVerCheck = Button(this, "bVerCheck", QStringLiteral("最新バージョン確認"), {219, 9, 121, 25});
    bDownload = Button(this, "bDownload", QStringLiteral("ダウンロード"), {219, 36, 121, 25});
    bDownload->setEnabled(false);
    OKBtn = Button(this, "OKBtn", QStringLiteral("閉じる"), {130, 189, 75, 25});
    SB = new QStatusBar(this);
    SB->setObjectName(QStringLiteral("SB"));
    SB->setSizeGripEnabled(false);
    SB->setGeometry(0, 237 - 19, 351, 19);
    HTTP = new HttpClient(this);
    BindEvents();
    connect(bVerCheck, &QPushButton::clicked, this, &TNewVersionDlg::bVerCheckClick);
    connect(bDownload, &QPushButton::clicked, this, &TNewVersionDlg::bDownloadClick);
    connect(OKBtn, &QPushButton::clicked, this, [this] { done(1); });
    isConnected = IsConnected;
    openUrl = [](const QString& u) { QDesktopServices::openUrl(QUrl(u)); };

    texts_.current = FileVersion();
    if (!texts_.current.empty()) curVer->setText(QString::fromStdString(texts_.current));
    if (!texts_.latest.empty()) newVer->setText(QString::fromStdString(texts_.latest));
}

TNewVersionDlg::~TNewVersionDlg() { HTTP->Cancel(); }

void TNewVersionDlg::BindEvents() {
    auto show = [this](const QString& text) { SB->showMessage(text); };
    HTTP->OnHostResolved = [show] { show(QStringLiteral("ホスト検索")); };
    HTTP->OnConnect = [show] { show(QStringLiteral("接続")); };
    HTTP->OnConnectionFailed = [show] { show(QStringLiteral("接続失敗")); };
    HTTP->OnDisconnect = [show] { show(QStringLiteral("切断")); };
    HTTP->OnStatus = [show](const std::string&) { show(QStringLiteral("Status")); };
    HTTP->OnPacketRecvd = [show](int64_t got, int64_t total) {
        show(QStringLiteral("%1 bytes of %2 received").arg(got).arg(total));
    };
    HTTP->OnPacketSent = [show](int64_t sent, int64_t total) {
        show(QStringLiteral("%1 bytes of %2 sent").arg(sent).arg(total));
    };
    HTTP->OnSuccess = [show](int kind) {
        if (kind >= 0 && kind <= 12) show(QString::fromLatin1(kSuccess[kind]) + QStringLiteral(" Success"));
    };
    HTTP->OnFailure = [show](int kind) {
        if (kind >= 0 && kind <= 12) show(QString::fromLatin1(kSuccess[kind]) + QStringLiteral(" Failed"));
    };
}

void TNewVersionDlg::bVerCheckClick() {
    // A check already waiting for the server goes on alone.
    if (HTTP->Busy()) return;
    if (!isConnected()) {
        prompter_.Warn(QStringLiteral("確認"),
                       QStringLiteral("インターネットに接続出来ていません。\r\nインターネットに接続後に実行してください。"));
        return;
    }
    Memo1->clear();
    HTTP->TimeOut = 5000;
    HTTP->ReportLevel = 2;
    try {
        HTTP->Get(url_.toStdString());
        std::vector<std::string> lines = VersionFileLines(HTTP->Body);
        if (!lines.empty()) {
            texts_.latest = lines[0];
            newVer->setText(QString::fromStdString(texts_.latest));
        }
        if (lines.size() > 1) texts_.download = lines[1];
        for (size_t i = 2; i < lines.size(); ++i) Memo1->appendPlainText(QString::fromStdString(lines[i]));
        // The notes are read from their first line.
        Memo1->moveCursor(QTextCursor::Start);
    } catch (const std::exception&) {
        // The status bar has told what happened; compare with what is known.
    }
    if (VersionIsOlder(texts_.current, texts_.latest)) {
        lStatus->setText(QStringLiteral("最新バージョンが存在します"));
        bDownload->setEnabled(true);
    } else {
        lStatus->setText(QStringLiteral("現在のバージョンが最新です"));
    }
}

void TNewVersionDlg::bDownloadClick() { openUrl(QString::fromStdString(texts_.download)); }

void TNewVersionDlg::done(int result) {
    // Closing while a check waits ends the check first.
    HTTP->Cancel();
    QDialog::done(result);
}

}  // namespace vinta
