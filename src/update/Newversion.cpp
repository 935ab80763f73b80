#include "Newversion.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>
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
#include "runtime/Sjis.h"
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

// Both dialogs stand in the middle of the screen their window is on.
void CentreOnScreen(QWidget* dialog) {
    QWidget* owner = dialog->parentWidget();
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = dialog->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    dialog->move(frame.topLeft());
}

QString FromSjis(const std::string& bytes) { return QString::fromStdString(sjis::ToUtf8(bytes)); }

constexpr size_t kMaxNoteLines = 1000;

// The notes, lines 3 and on, as one text: at most kMaxNoteLines of them, and a
// line saying how many more there were.
QString NotesText(const std::vector<std::string>& lines, size_t more) {
    QStringList notes;
    for (size_t i = 2; i < lines.size(); ++i) notes << FromSjis(lines[i]);
    if (more > 0) notes << QStringLiteral("（以下 %1 行は省略しました）").arg(more);
    return notes.join(QLatin1Char('\n'));
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
    // The picture is drawn at 16; its slot wants 32.
    icon->setPixmap(MakeCommandImages().Image(13).scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));
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

    // Whatever a server sends is text, never markup or a picture to load.
    for (QLabel* l : {curVer, newVer, lStatus}) l->setTextFormat(Qt::PlainText);
    texts_.current = FileVersion();
    if (!texts_.current.empty()) curVer->setText(QString::fromStdString(texts_.current));
}

void TAboutDlg::showEvent(QShowEvent* e) {
    CentreOnScreen(this);
    QDialog::showEvent(e);
}

void TNewVersionDlg::showEvent(QShowEvent* e) {
    CentreOnScreen(this);
    QDialog::showEvent(e);
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
    std::string failure;
    try {
        HTTP->Get(url_.toStdString());
        if (HTTP->StatusCode < 200 || HTTP->StatusCode > 299)
            failure = "HTTP " + std::to_string(HTTP->StatusCode);
        else
            ShowReply(HTTP->Body);
    } catch (const std::exception& e) {
        failure = e.what();
    }
    // A check that failed tells nothing of what is newest: say so, and why.
    if (!failure.empty()) {
        lStatus->setText(QStringLiteral("最新バージョンを確認できませんでした"));
        SB->showMessage(QString::fromStdString(failure));
        return;
    }
    if (VersionIsOlder(texts_.current, texts_.latest)) {
        lStatus->setText(QStringLiteral("最新バージョンが存在します"));
        bDownload->setEnabled(true);
    } else {
        lStatus->setText(QStringLiteral("現在のバージョンが最新です"));
    }
}

// The version file's texts are Shift-JIS, as every text of the program; the
// notes go into the memo at once.
void TNewVersionDlg::ShowReply(const std::string& body) {
    size_t more = 0;
    const std::vector<std::string> lines = VersionFileLines(body, 2 + kMaxNoteLines, more);
    if (!lines.empty()) {
        texts_.latest = lines[0];
        newVer->setText(FromSjis(texts_.latest));
    }
    if (lines.size() > 1) texts_.download = lines[1];
    Memo1->setPlainText(NotesText(lines, more));
    // The notes are read from their first line.
    Memo1->moveCursor(QTextCursor::Start);
}

// Only a web address goes to the browser: a file, a share or a program
// named by a server is refused.
void TNewVersionDlg::bDownloadClick() {
    const QString address = FromSjis(texts_.download);
    const QUrl url(address, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        url.host().isEmpty()) {
        prompter_.Warn(QStringLiteral("ダウンロード"),
                       QStringLiteral("このアドレスは開けません（http と https のアドレスだけを開きます）。\r\n\r\n") + address);
        return;
    }
    openUrl(url.toString());
}

void TNewVersionDlg::done(int result) {
    // Closing while a check waits ends the check first.
    HTTP->Cancel();
    QDialog::done(result);
}

}  // namespace vinta
