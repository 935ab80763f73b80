#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QLocale>
#include <QtTest/QTest>

#include "dialogs/Numedit.h"

namespace vinta {
namespace {

void Focus(QWidget* w, bool in) {
    QFocusEvent e(in ? QEvent::FocusIn : QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(w, &e);
}

class NumeditField : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    TNumEdit field;
    int calls = 0;
    int last = -1;
    void Listen() {
        field.OnModified = [this](TNumEdit* sender, int v) {
            EXPECT_EQ(sender, &field);
            ++calls;
            last = v;
        };
    }
};

TEST_F(NumeditField, ShowsItsValueRightAligned) {
    EXPECT_EQ(field.Text(), QStringLiteral("0"));
    EXPECT_TRUE(field.alignment() & Qt::AlignRight);
    EXPECT_FALSE(field.testAttribute(Qt::WA_InputMethodEnabled));
    field.SetValue(-42);
    EXPECT_EQ(field.Text(), QStringLiteral("-42"));
    field.SetText(QStringLiteral("12abc"));
    EXPECT_EQ(field.Value(), 0);
    EXPECT_EQ(field.Text(), QStringLiteral("0"));
    field.SetText(QStringLiteral("99999999999"));
    EXPECT_EQ(field.Value(), 0) << "beyond 32 bits reads as 0";
}

// Separators and the yen sign show only while the field is not being edited.
TEST_F(NumeditField, FormattingFollowsTheFocus) {
    field.SetComma(true);
    field.SetValue(1234567);
    EXPECT_EQ(field.Text(), QStringLiteral("1,234,567"));
    Focus(&field, true);
    EXPECT_EQ(field.Text(), QStringLiteral("1234567"));
    Focus(&field, false);
    EXPECT_EQ(field.Text(), QStringLiteral("1,234,567"));
    field.SetYen(true);
    field.SetValue(1500);
    EXPECT_EQ(field.Text(), QStringLiteral("¥1,500"));
    field.SetComma(false);
    EXPECT_EQ(field.Text(), QStringLiteral("¥1500"));
    field.setText(QStringLiteral("tampered"));
    field.SetYen(true);
    EXPECT_EQ(field.Text(), QStringLiteral("tampered")) << "an unchanged flag touches nothing";
}

// Only digits are typed; Enter never breaks the line.
TEST_F(NumeditField, KeysAndTheModifiedEvent) {
    Listen();
    field.SetValue(0);
    field.clear();
    QTest::keyClicks(&field, QStringLiteral("a-.,"));
    EXPECT_EQ(field.Text(), QString());
    EXPECT_FALSE(field.Modified);
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(calls, 0) << "no typed change";
    QTest::keyClicks(&field, QStringLiteral("75"));
    EXPECT_TRUE(field.Modified);
    EXPECT_EQ(field.Text(), QStringLiteral("75"));
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(last, 75);
    EXPECT_EQ(field.Value(), 75);
    EXPECT_FALSE(field.Modified);
    QTest::keyClick(&field, Qt::Key_Backspace);
    QTest::keyClick(&field, Qt::Key_Backspace);
    Focus(&field, false);
    EXPECT_EQ(calls, 1) << "leaving without a typed digit calls nothing";
    EXPECT_EQ(field.Text(), QStringLiteral("0")) << "a cleared field reads 0";
    QTest::keyClicks(&field, QStringLiteral("3"));
    Focus(&field, false);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(last, 3);
}

// Pasting is refused like typing: nothing that is not a digit gets in.
TEST_F(NumeditField, PastedTextIsDigitsOnly) {
    field.SetValue(0);
    field.setFocus();
    field.clear();
    for (const char* refused : {"12a", "-5", "1,000", "１２", " 7"}) {
        QGuiApplication::clipboard()->setText(QString::fromUtf8(refused));
        field.paste();
        EXPECT_EQ(field.text(), QString()) << refused;
    }
    QGuiApplication::clipboard()->setText(QStringLiteral("42"));
    field.paste();
    EXPECT_EQ(field.text(), QStringLiteral("42"));
    EXPECT_EQ(TNumEdit::ReadInteger(field.Text()), 42);
}

TEST_F(NumeditField, WithoutAHandlerEnterOnlySwallowsTheKey) {
    field.clear();
    QTest::keyClicks(&field, QStringLiteral("12"));
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(field.Text(), QStringLiteral("12"));
    EXPECT_EQ(field.Value(), 0);
    EXPECT_TRUE(field.Modified);
}

}  // namespace
}  // namespace vinta
