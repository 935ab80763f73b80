// The dialogs worked from the keyboard alone and read by a screen reader:
// where the focus starts, Enter and F2 on a line, Ctrl+Tab through the
// pages, each access key used once, and the names said.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QtTest/QTest>
#include <map>
#include "dialogs/DatePicker.h"
#include <QCalendarWidget>

#include "DialogFixture.h"

namespace vinta {
namespace {

class KeysAndNames : public ::testing::Test, public testing::DialogFixture {
protected:
    void SetUp() override {
        Resources({{"山田", 0}, {"佐藤", 1}});
        Task(1, "20", 0, "task", 1);
        Assignment(2, "21", 1, "20", "2");
        store.SetCellText(o, outline::WorkState, 1, "4");
    }
    void TearDown() override { ExpectEveryScriptRan(); }
};

// Every letter after an "&" in what the dialog shows, with the texts that use it.
std::multimap<QChar, QString> AccessKeys(QWidget& dialog) {
    std::multimap<QChar, QString> keys;
    auto take = [&](const QString& text) {
        const int at = text.indexOf(QLatin1Char('&'));
        if (at >= 0 && at + 1 < text.size() && text[at + 1] != QLatin1Char('&')) keys.emplace(text[at + 1].toUpper(), text);
    };
    for (QLabel* l : dialog.findChildren<QLabel*>())
        if (l->buddy()) take(l->text());
    for (QAbstractButton* b : dialog.findChildren<QAbstractButton*>()) take(b->text());
    for (QGroupBox* g : dialog.findChildren<QGroupBox*>()) take(g->title());
    for (QTabWidget* t : dialog.findChildren<QTabWidget*>())
        for (int i = 0; i < t->count(); ++i) take(t->tabText(i));
    return keys;
}

void ExpectEachKeyOnce(QWidget& dialog, size_t atLeast) {
    const auto keys = AccessKeys(dialog);
    EXPECT_GE(keys.size(), atLeast) << dialog.objectName().toStdString() << ": fields reached by their letter";
    for (auto it = keys.begin(); it != keys.end(); ++it)
        EXPECT_EQ(keys.count(it->first), 1u) << dialog.objectName().toStdString() << ": " << it->second.toStdString()
                                            << " shares its key";
}

TEST_F(KeysAndNames, TheTaskDialogStartsInTheNameAndReadsItsLinesAsDrawn) {
    int lines = 0;
    scripts.push_back([&](QDialog& d) {
        auto& task = static_cast<TTaskEditDlg&>(d);
        EXPECT_EQ(d.focusWidget(), d.findChild<QWidget*>("eName")) << "not the tab bar";
        ExpectEachKeyOnce(d, 4);
        const struct {
            int col;
            const char* said;
        } cells[] = {{0, "1"}, {1, "佐藤"}, {5, "不調"}};
        for (const auto& c : cells) EXPECT_EQ(task.StringGrid1->CellText(c.col, 1), QString::fromUtf8(c.said)) << c.col;
        // Ctrl+Tab turns to the people's page, the focus on its first field.
        d.show();
        QApplication::setActiveWindow(&d);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
        QTest::keyClick(d.focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        EXPECT_EQ(task.PageControl1->currentIndex(), 1);
        EXPECT_TRUE(task.PageControl1->currentWidget()->isAncestorOf(d.focusWidget()));
        QTest::keyClick(d.focusWidget(), Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(task.PageControl1->currentIndex(), 0) << "and back";
        // Enter and F2 on a line open it, as in the outline.
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_F2}) {
            scripts.push_back([&](QDialog& line) {
                ++lines;
                ExpectEachKeyOnce(line, 5);
                return static_cast<int>(QDialog::Rejected);
            });
            QTest::keyClick(task.StringGrid1, key);
        }
        return static_cast<int>(QDialog::Rejected);
    });
    EditTaskRow(ctx, 1);
    EXPECT_EQ(lines, 2);
}

TEST_F(KeysAndNames, TheResourceListOpensALineByEnterAndIsNamedApart) {
    int opened = 0;
    scripts.push_back([&](QDialog& d) {
        auto& list = static_cast<TResEditDlg&>(d);
        EXPECT_EQ(d.accessibleName(), QStringLiteral("リソース一覧"));
        EXPECT_EQ(d.windowTitle(), QStringLiteral("リソースの編集")) << "the caption stays";
        list.StringGrid1->SetCurrent(1, 1);
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_F2}) {
            scripts.push_back([&](QDialog& one) {
                ++opened;
                EXPECT_NE(one.accessibleName(), d.accessibleName()) << "the two windows are told apart";
                ExpectEachKeyOnce(one, 6);
                return static_cast<int>(QDialog::Rejected);
            });
            QTest::keyClick(list.StringGrid1, key);
        }
        return static_cast<int>(QDialog::Accepted);
    });
    OpenResourceList(ctx);
    EXPECT_EQ(opened, 2);
}

// The calendar is made when it is opened, by key or by mouse, in Japanese.
TEST(DatePickers, TheCalendarComesWhenOpenedInJapanese) {
    for (bool byKey : {true, false}) {
        QDateEdit* d = MakeDatePicker(QStringLiteral("d"), nullptr);
        d->show();
        if (byKey) {
            QTest::keyClick(d, Qt::Key_F4);
        } else {
            QTest::mouseClick(d, Qt::LeftButton, {}, QPoint(d->width() - 5, d->height() / 2));
        }
        EXPECT_EQ(d->calendarWidget()->locale().language(), QLocale::Japanese) << (byKey ? "F4" : "click");
        delete d;
    }
}

// A choice drawn without a word still has a name to be read by.
TEST_F(KeysAndNames, TheBlankStateIsNamed) {
    RadioGroup group(QStringLiteral("作業状態"), {QString(), QStringLiteral("余裕")}, 2);
    EXPECT_EQ(group.Button(0)->accessibleName(), QStringLiteral("作業状態: なし"));
    EXPECT_EQ(group.Button(1)->accessibleName(), QString()) << "a worded choice is read by its word";
}

}  // namespace
}  // namespace vinta
