// The main window never loses work by accident and never hangs on what it
// finds at a path: the unsaved-changes question, special files, settings that
// cannot be read or written, and window bounds from another screen layout.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <chrono>
#include <fstream>

#include "AppFixture.h"
#include "app/Startup.h"
#include "framework/WindowBounds.h"
#include "runtime/Profile.h"
#include "support/HostilePaths.h"

namespace vinta {
namespace {

const QString kCannotRead = QStringLiteral("ファイルを読み込めませんでした。\r\n\r\n");
const QString kNotFound = QStringLiteral("ファイルが見つかりません。\r\n読み込みを中止します。\r\n\r\n");

class SafeKeeping : public MainWindow {
protected:
    // A modified schedule whose only copy is in memory.
    TForm1& Modified() {
        TForm1& f = Open();
        f.Document().store.SetCellText(f.Document().outlineSlot, outline::Name, 0, "unsaved");
        f.Document().SetModified(true);
        return f;
    }
    // A path no save can write: its folder is a file (root writes anywhere else).
    QString Unwritable() {
        std::ofstream((dir_ / "plain").string()) << "x";
        return Path("plain/plan.kts");
    }
};

// Only an explicit No throws the changes away.
TEST_F(SafeKeeping, ClosingKeepsTheWindowUnlessTheChangesAreSavedOrDiscarded) {
    TForm1& f = Modified();
    f.show();
    prompter.askAnswers = {Answer::kCancel};
    EXPECT_FALSE(f.close()) << "Escape or the box's close button";
    prompter.askAnswers = {Answer::kYes};
    prompter.fileAnswers = {QString()};
    EXPECT_FALSE(f.close()) << "the save dialog was cancelled";
    prompter.askAnswers = {Answer::kYes};
    prompter.fileAnswers = {Unwritable()};
    EXPECT_FALSE(f.close()) << "the save failed";
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(f.Document().Modified());
    EXPECT_EQ(Name0(), "unsaved");
    // A named schedule whose save fails stays open and modified too.
    f.Document().fileName = Unwritable().toStdString();
    prompter.askAnswers = {Answer::kYes};
    EXPECT_FALSE(f.close());
    EXPECT_TRUE(f.Document().Modified());
    prompter.askAnswers = {Answer::kNo};
    EXPECT_TRUE(f.close());
    prompter.asked.clear();
}

TEST_F(SafeKeeping, YesSavesAndCloses) {
    TForm1& f = Modified();
    f.show();
    prompter.askAnswers = {Answer::kYes};
    prompter.fileAnswers = {Path("kept.kts")};
    EXPECT_TRUE(f.close());
    ScheduleDocument s;
    ASSERT_EQ(s.store.LoadFromFile(Path("kept.kts").toStdString()), kLoadRead);
    EXPECT_EQ(s.store.CellText(s.outlineSlot, outline::Name, 0), "unsaved");
}

// New and Open replace the schedule only after the same question.
TEST_F(SafeKeeping, NewAndOpenAskBeforeReplacingChanges) {
    WriteSchedule(Path("other.kts"), "other");
    TForm1& f = Modified();
    prompter.askAnswers = {Answer::kCancel, Answer::kYes};
    prompter.fileAnswers = {QString()};
    f.NewFileClick();
    f.NewFileClick();  // Yes, then the save dialog is cancelled
    EXPECT_EQ(Name0(), "unsaved");
    prompter.askAnswers = {Answer::kCancel};
    prompter.fileAnswers = {Path("other.kts")};
    EXPECT_FALSE(f.FileOpenExecute());
    EXPECT_EQ(Name0(), "unsaved");
    EXPECT_TRUE(f.Document().Modified());
    EXPECT_EQ(prompter.asked.back().caption, QStringLiteral("データの保存"));
    prompter.askAnswers = {Answer::kNo};
    prompter.fileAnswers = {Path("other.kts")};
    EXPECT_TRUE(f.FileOpenExecute());
    EXPECT_EQ(Name0(), "other");
    // Unmodified: no question.
    size_t asked = prompter.asked.size();
    prompter.fileAnswers = {Path("other.kts")};
    EXPECT_TRUE(f.FileOpenExecute());
    EXPECT_EQ(prompter.asked.size(), asked + 1) << "only the open dialog";
}

// The real box: Escape, its close button and its キャンセル are not No.
TEST_F(SafeKeeping, TheQuestionBoxTellsEscapeFromNo) {
    QtPrompter real(nullptr);
    auto answerWith = [&](const std::function<void(QMessageBox*)>& act) {
        bool shown = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_TRUE(box);
            shown = true;
            act(box);
        });
        Answer a = real.Ask(QStringLiteral("データの保存"), QStringLiteral("保存しますか？"));
        EXPECT_TRUE(shown);
        return a;
    };
    EXPECT_EQ(answerWith([](QMessageBox* b) {
                  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                  QApplication::sendEvent(b, &esc);
              }),
              Answer::kCancel);
    EXPECT_EQ(answerWith([](QMessageBox* b) { b->close(); }), Answer::kCancel);
    EXPECT_EQ(answerWith([](QMessageBox* b) { b->button(QMessageBox::No)->click(); }), Answer::kNo);
    EXPECT_EQ(answerWith([](QMessageBox* b) { b->button(QMessageBox::Yes)->click(); }), Answer::kYes);
    QStringList shown;
    EXPECT_EQ(answerWith([&](QMessageBox* b) {
                  for (QAbstractButton* button : b->buttons())
                      if (button->isVisibleTo(b)) shown << button->text();
                  b->escapeButton()->click();
              }),
              Answer::kCancel);
    EXPECT_EQ(shown.size(), 3) << "Yes, No and what Escape does, to be seen";
    EXPECT_TRUE(shown.contains(QStringLiteral("キャンセル")));
}

// A choice of the program's own buttons: Enter takes the default, Escape and
// the close button the escape button, a click its own.
TEST_F(SafeKeeping, TheChoiceBoxAnswersByItsButtons) {
    QtPrompter real(nullptr);
    const QStringList buttons{QStringLiteral("上書き保存"), QStringLiteral("名前を付けて保存"), QStringLiteral("キャンセル")};
    auto answerWith = [&](const std::function<void(QMessageBox*)>& act) {
        QTimer::singleShot(0, [&] { act(qobject_cast<QMessageBox*>(QApplication::activeModalWidget())); });
        return real.Choose(QStringLiteral("上書き保存"), QStringLiteral("?"), buttons, 2, 2);
    };
    auto key = [](QMessageBox* b, Qt::Key k) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(b->focusWidget() ? b->focusWidget() : b, &press);
    };
    EXPECT_EQ(answerWith([&](QMessageBox* b) { key(b, Qt::Key_Escape); }), 2);
    EXPECT_EQ(answerWith([](QMessageBox* b) { b->close(); }), 2);
    EXPECT_EQ(answerWith([](QMessageBox* b) { b->defaultButton()->click(); }), 2);
    for (int i : {0, 1})
        EXPECT_EQ(answerWith([&](QMessageBox* b) {
                      for (QAbstractButton* button : b->buttons())
                          if (button->text() == buttons[i]) button->click();
                  }),
                  i);
}

// Escape on the first button too (keep working, in the change-on-disk
// question): the box closes with it, it does not stay open ignoring Escape.
TEST_F(SafeKeeping, EscapeTakesTheFirstButtonWhenThatIsTheEscapeButton) {
    QtPrompter real(nullptr);
    bool stayedOpen = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_TRUE(box);
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(box, &esc);
        QTimer::singleShot(0, [box, &stayedOpen] {
            if (!box->isVisible()) return;
            stayedOpen = true;
            box->buttons().back()->click();
        });
    });
    EXPECT_EQ(real.Choose(QStringLiteral("ファイルの変更"), QStringLiteral("?"),
                          {QStringLiteral("編集を続ける"), QStringLiteral("読み込み直す")}, 0, 0),
              0);
    EXPECT_FALSE(stayedOpen);
}

// Yes/No boxes carry the icon they are asked for.
TEST_F(SafeKeeping, ConfirmationsShowTheirIcon) {
    QtPrompter real(nullptr);
    for (auto [icon, shownIcon] : {std::pair{BoxIcon::kQuestion, QMessageBox::Question},
                                   std::pair{BoxIcon::kInformation, QMessageBox::Information}}) {
        QMessageBox::Icon seen = QMessageBox::NoIcon;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_TRUE(box);
            seen = box->icon();
            box->button(QMessageBox::Yes)->click();
        });
        EXPECT_TRUE(real.Confirm(QStringLiteral("注意"), QStringLiteral("?"), icon));
        EXPECT_EQ(seen, shownIcon);
    }
}

// Folders, pipes, devices and dangling links are named as unreadable at once.
TEST_F(SafeKeeping, OpeningSpecialFilesChangesNothing) {
    TForm1& f = Open();
    f.Document().store.SetCellText(f.Document().outlineSlot, outline::Name, 0, "mine");
    auto start = steady_clock::now();
    for (const auto& h : testing::MakeHostilePaths(dir_)) {
        prompter.asked.clear();
        prompter.fileAnswers = {QString::fromStdString(h.path)};
        f.FileOpenExecute();
        ASSERT_EQ(prompter.asked.size(), 2u) << h.kind;
        const QString expected = (h.kind == "dangling link" ? kNotFound : kCannotRead) + QString::fromStdString(h.path);
        EXPECT_EQ(Text(1), expected) << h.kind;
    }
    ScheduleDocument s;
    std::string huge = testing::MakeSparseFile(dir_ / "huge.kts", s.store.SaveToBytes(), kMaxFileBytes + 1);
    prompter.fileAnswers = {QString::fromStdString(huge)};
    f.FileOpenExecute();
    EXPECT_TRUE(prompter.asked.back().text.contains(QStringLiteral("大きすぎる")));
    EXPECT_LT(steady_clock::now() - start, seconds(2));
    EXPECT_EQ(Name0(), "mine");
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Vinta - 新規"));
}

// A remembered file that is a pipe is reported, not waited for; a settings
// file that is a pipe or a folder reads as empty and cannot stop the exit.
TEST_F(SafeKeeping, SpecialSettingsAndRememberedFiles) {
    ::mkfifo(Path("fifo.kts").toLocal8Bit().constData(), 0600);
    Profile(Path("VINTA.ini").toStdString()).WriteString("OPT", "FileName", Path("fifo.kts").toStdString());
    auto start = steady_clock::now();
    Open();
    EXPECT_EQ(Text(0), kCannotRead + Path("fifo.kts"));
    form.reset();
    fs::remove(dir_ / "VINTA.ini");
    fs::create_directories(dir_ / "VINTA.ini");
    TForm1& f = Open();
    EXPECT_EQ(f.geometry().size(), QSize(757, 454));
    f.show();
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(f.close());
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("VINTA.ini"), std::string::npos);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_TRUE(fs::is_directory(dir_ / "VINTA.ini"));
    EXPECT_LT(steady_clock::now() - start, seconds(2));
}

// Remembered bounds are brought onto the screen, and written back corrected.
TEST_F(SafeKeeping, RememberedBoundsComeBackOnScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (QRect stored : {QRect(-5000, -4000, 700, 400), QRect(screen.right() + 100, 50, 700, 400),
                         QRect(30, 40, 0, -20), QRect(0, 0, 100000, 100000)}) {
        Profile ini(Path("VINTA.ini").toStdString());
        ini.WriteInteger("ENV", "X", stored.x());
        ini.WriteInteger("ENV", "Y", stored.y());
        ini.WriteInteger("ENV", "W", stored.width());
        ini.WriteInteger("ENV", "H", stored.height());
        TForm1& f = Open();
        QRect g = f.geometry();
        EXPECT_TRUE(screen.contains(g)) << stored.x() << "," << stored.width();
        EXPECT_GE(g.width(), 160);
        f.FormClose();
        EXPECT_EQ(ini.ReadInteger("ENV", "X", -1), g.x());
        EXPECT_EQ(ini.ReadInteger("ENV", "W", -1), g.width());
        form.reset();
    }
}

// The rule itself, on screens of known size.
TEST(WindowBounds, FitOnScreen) {
    const QSize design(757, 454);
    const QList<QRect> one{QRect(0, 0, 1280, 800)};
    EXPECT_EQ(FitOnScreen(QRect(394, 123, 757, 454), one, design), QRect(394, 123, 757, 454)) << "fits: unchanged";
    EXPECT_EQ(FitOnScreen(QRect(-5000, -9000, 757, 454), one, design), QRect(0, 0, 757, 454));
    EXPECT_EQ(FitOnScreen(QRect(1200, 700, 757, 454), one, design), QRect(523, 346, 757, 454));
    EXPECT_EQ(FitOnScreen(QRect(10, 10, 4000, 3000), one, design), QRect(0, 0, 1280, 800));
    EXPECT_EQ(FitOnScreen(QRect(10, 20, 0, -3), one, design), QRect(10, 20, 757, 454));
    EXPECT_EQ(FitOnScreen(QRect(10, 20, 3, 2), one, design), QRect(10, 20, 160, 120)) << "too small to use";
    // Two screens: the one the window overlaps most; none: the primary.
    const QList<QRect> two{QRect(0, 0, 1280, 800), QRect(1280, 0, 1920, 1080)};
    EXPECT_EQ(FitOnScreen(QRect(3000, 900, 757, 454), two, design), QRect(2443, 626, 757, 454));
    EXPECT_EQ(FitOnScreen(QRect(1000, 100, 757, 454), two, design), QRect(1280, 100, 757, 454));
    EXPECT_EQ(FitOnScreen(QRect(9000, 9000, 757, 454), {QRect(0, 0, 1280, 800)}, design).topLeft(), QPoint(523, 346));
    EXPECT_EQ(FitOnScreen(QRect(1, 2, 3, 4), {}, design), QRect(1, 2, 3, 4));
}

TEST(Startup, AnErrorThatEscapesStartUpIsShownAndTheProgramEnds) {
    ScriptedPrompter p;
    EXPECT_EQ(RunGuarded(p, [] { return 7; }), 7);
    EXPECT_TRUE(p.asked.empty());
    EXPECT_EQ(RunGuarded(p, []() -> int { throw std::runtime_error("設定を読めません"); }), 0);
    EXPECT_EQ(RunGuarded(p, []() -> int { throw 42; }), 0);
    ASSERT_EQ(p.asked.size(), 2u);
    EXPECT_EQ(p.asked[0].kind, QStringLiteral("error"));
    EXPECT_EQ(p.asked[0].text, QStringLiteral("設定を読めません"));
    EXPECT_EQ(p.asked[1].text, QString());
}

}  // namespace
}  // namespace vinta
