#pragma once
// The About dialog and the update-check dialog of the help menu.

#include <QDialog>
#include <QString>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;

namespace vinta {

class HttpClient;
class Prompter;
struct UpdateTexts;

class TAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit TAboutDlg(QWidget* parent = nullptr);
    QLabel* Version;

protected:
    void showEvent(QShowEvent* e) override;
};

class TNewVersionDlg : public QDialog {
    Q_OBJECT
public:
    // `texts` live for the program run; `url` is the version file's address.
    TNewVersionDlg(UpdateTexts& texts, QString url, Prompter& prompter, QWidget* parent = nullptr);
    ~TNewVersionDlg() override;

    // Tests stand in for the network state and the browser.
    std::function<bool()> isConnected;
    std::function<void(const QString&)> openUrl;

    void bVerCheckClick();
    void bDownloadClick();

    QLabel *curVer, *newVer, *lStatus;
    QPlainTextEdit* Memo1;
    QPushButton *bVerCheck, *bDownload, *OKBtn;
    QStatusBar* SB;
    HttpClient* HTTP;

protected:
    void done(int result) override;
    void showEvent(QShowEvent* e) override;

private:
    void BindEvents();
    void ShowReply(const std::string& body);
    UpdateTexts& texts_;
    QString url_;
    Prompter& prompter_;
};

}  // namespace vinta
