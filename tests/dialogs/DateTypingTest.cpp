// A date typed as it is written is that date, in every date field, from
// whichever part of the field the caret was put in.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QTest>

#include "DialogFixture.h"

namespace vinta {
namespace {

class DateTyping : public ::testing::Test, public testing::DialogFixture {
protected:
    // A click into the `part`-th character of the field's text, as the mouse would.
    static void ClickAt(QDateEdit* date, int part) {
        auto* edit = date->findChild<QLineEdit*>();
        edit->setCursorPosition(part);
        const int x = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x() + 2;
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(x, edit->height() / 2));
    }
    static std::vector<QDateEdit*> Fields(QDialog& d) {
        std::vector<QDateEdit*> fields;
        for (const char* name : {"dtStart", "dtEnd", "dtFrom", "dtTo"})
            if (auto* f = d.findChild<QDateEdit*>(QString::fromLatin1(name))) fields.push_back(f);
        return fields;
    }
    void Show(QDialog& d) {
        d.show();
        d.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    }
};

struct Typed {
    const char* keys;
    QDate date;
};
const Typed kWritten[] = {
    {"2027/01/11", QDate(2027, 1, 11)}, {"2027/04/09", QDate(2027, 4, 9)}, {"2027/4/9", QDate(2027, 4, 9)},
    {"2027/1/5", QDate(2027, 1, 5)},    {"2027/12/31", QDate(2027, 12, 31)}, {"20270111", QDate(2027, 1, 11)},
    {"2027-03-01", QDate(2027, 3, 1)},  {"2027.3.1", QDate(2027, 3, 1)},
};

// Clicked into the year, the month or the day, or reached by Tab or the
// access key: the whole date typed is the date kept.
TEST_F(DateTyping, EveryFieldTakesADateAsWritten) {
    TTaskEditDlg task(ctx);
    TTaskEditDlg2 assignment(prompter, nullptr);
    for (QDialog* d : {static_cast<QDialog*>(&task), static_cast<QDialog*>(&assignment)}) {
        Show(*d);
        const auto fields = Fields(*d);
        ASSERT_EQ(fields.size(), 2u);
        for (QDateEdit* field : fields) {
            for (int from : {1, 6, 9, -1}) {
                for (const Typed& t : kWritten) {
                    SCOPED_TRACE(::testing::Message() << field->objectName().toStdString() << " from " << from << ": "
                                                      << t.keys);
                    field->setDate(QDate(2026, 12, 7));
                    if (from >= 0) {
                        ClickAt(field, from);
                    } else {
                        d->findChild<QWidget*>(QStringLiteral("CancelBtn"))->setFocus();
                        field->setFocus(Qt::ShortcutFocusReason);
                    }
                    QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(t.keys));
                    // Leaving the field takes a part still being typed (the 1 of 2027.3.1).
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                    EXPECT_EQ(field->date(), t.date) << field->findChild<QLineEdit*>()->text().toStdString();
                }
            }
        }
        d->hide();
    }
}

// Typing one part still changes that part alone, and what is no date is
// refused as it is typed.
TEST_F(DateTyping, OnePartAndNonsense) {
    TTaskEditDlg2 d(prompter, nullptr);
    Show(d);
    QDateEdit* field = d.findChild<QDateEdit*>(QStringLiteral("dtFrom"));
    const struct {
        int from;
        const char* keys;
        QDate date;
    } cases[] = {
        {6, "4", QDate(2026, 4, 7)},          {6, "04", QDate(2026, 4, 7)},   {9, "15", QDate(2026, 12, 15)},
        {6, "4/9", QDate(2026, 4, 9)},        {1, "2028", QDate(2028, 12, 7)}, {6, "1203", QDate(2026, 12, 3)},
        {1, "abc", QDate(2026, 12, 7)},       {1, "2027/13", QDate(2027, 1, 7)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "from " << c.from << ": " << c.keys);
        field->setDate(QDate(2026, 12, 7));
        ClickAt(field, c.from);
        QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(c.keys));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(field->date(), c.date);
    }
}

}  // namespace
}  // namespace vinta

namespace vinta {
namespace {

// An end before the start is kept only when the user says so; いいえ (the
// default, and Escape) puts the caret back into the end.
TEST_F(DateTyping, AnEndBeforeTheStartIsAskedAboutOnOk) {
    TTaskEditDlg task(ctx);
    TTaskEditDlg2 assignment(prompter, nullptr);
    const struct {
        QDialog* dialog;
        const char* start;
        const char* end;
    } dialogs[] = {{&task, "dtStart", "dtEnd"}, {&assignment, "dtFrom", "dtTo"}};
    for (const auto& d : dialogs) {
        for (int answer : {-1, 1, 0}) {
            SCOPED_TRACE(::testing::Message() << d.start << " answer " << answer);
            Show(*d.dialog);
            auto* start = d.dialog->findChild<QDateEdit*>(QString::fromLatin1(d.start));
            auto* end = d.dialog->findChild<QDateEdit*>(QString::fromLatin1(d.end));
            start->setDate(QDate(2027, 4, 9));
            end->setDate(QDate(2027, 4, 8));
            prompter.buttonSets.clear();
            prompter.choices.clear();
            if (answer >= 0) prompter.choices = {answer};
            QTest::mouseClick(d.dialog->findChild<QWidget*>(QStringLiteral("OKBtn")), Qt::LeftButton);
            ASSERT_EQ(prompter.buttonSets.size(), 1u);
            EXPECT_EQ(prompter.buttonSets[0], QStringLiteral("はい|*いいえ"));
            EXPECT_EQ(prompter.asked.back().text, QStringLiteral("終了日が開始日より前です。このまま保存しますか？"));
            EXPECT_EQ(d.dialog->result() == QDialog::Accepted, answer == 0);
            EXPECT_EQ(d.dialog->isVisible(), answer != 0);
            if (answer != 0) {
                EXPECT_EQ(d.dialog->focusWidget(), end);
            }
            d.dialog->hide();
            d.dialog->setResult(QDialog::Rejected);
        }
        // The same day, or a later one, asks nothing.
        Show(*d.dialog);
        auto* end = d.dialog->findChild<QDateEdit*>(QString::fromLatin1(d.end));
        d.dialog->findChild<QDateEdit*>(QString::fromLatin1(d.start))->setDate(end->date());
        prompter.buttonSets.clear();
        QTest::mouseClick(d.dialog->findChild<QWidget*>(QStringLiteral("OKBtn")), Qt::LeftButton);
        EXPECT_TRUE(prompter.buttonSets.empty());
        EXPECT_EQ(d.dialog->result(), QDialog::Accepted);
    }
    // A comment has no dates to compare.
    Show(task);
    task.rgType->SetItemIndex(TTaskEditDlg::kComment);
    prompter.confirmAnswers = {true};
    task.rgTypeClick(TTaskEditDlg::kComment);
    task.dtStart->setDate(QDate(2027, 4, 9));
    task.dtEnd->setDate(QDate(2027, 4, 8));
    prompter.buttonSets.clear();
    QTest::mouseClick(task.findChild<QWidget*>(QStringLiteral("OKBtn")), Qt::LeftButton);
    EXPECT_TRUE(prompter.buttonSets.empty());
}

}  // namespace
}  // namespace vinta
