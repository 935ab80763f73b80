#include <gtest/gtest.h>

#include <QApplication>
#include <QtTest/QTest>

#include "DialogFixture.h"

namespace vinta {
namespace {

// Types text a character at a time, as a keyboard or input method would.
void Type(QWidget* w, const QString& text) {
    for (char32_t c : text.toUcs4()) {
        QString one = QString::fromUcs4(&c, 1);
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, one);
        QApplication::sendEvent(w, &press);
    }
}

class ResourceDialogs : public ::testing::Test, public testing::DialogFixture {
protected:
    void TearDown() override { ExpectEveryScriptRan(); }
    static TResEditDlg& List(QDialog& d) { return static_cast<TResEditDlg&>(d); }
    static TResEditDlg2& One(QDialog& d) { return static_cast<TResEditDlg2&>(d); }
    std::string Res(int row, int col) const { return store.CellText(res, col, row); }
};

// The list is a live view: every change reaches the table at once.
TEST_F(ResourceDialogs, AppendEditAndDeleteThroughTheList) {
    Resources({{"山田", 1}});
    int serial = store.Table(res).lastSerial;
    scripts.push_back([&](QDialog& d) {
        auto& list = List(d);
        EXPECT_EQ(list.view.Cells(resource::Name, 0), sjis::Lit("名　　前")) << "captions come with the view";
        list.AppendClick();
        EXPECT_EQ(list.view.RowCount(), 3);
        EXPECT_EQ(Res(1, resource::No), std::to_string(serial + 1));
        EXPECT_EQ(Res(1, resource::Name), "");
        list.StringGrid1->SetCurrent(1, 2);
        list.StringGrid1DblClick();
        EXPECT_EQ(Res(1, resource::Kind), "0") << "OK on an untouched row stores a member";
        EXPECT_EQ(list.view.Cells(resource::Kind, 2), "0");
        list.StringGrid1->SetCurrent(1, 1);
        list.DeleteClick();
        EXPECT_EQ(Res(0, resource::No), std::to_string(serial + 1));
        return QDialog::Rejected;  // the close box: the edits stay
    });
    scripts.push_back([&](QDialog& d) {
        auto& one = One(d);
        EXPECT_EQ(one.eName->text(), QString());
        EXPECT_EQ(one.rgType->ItemIndex(), 0);
        EXPECT_EQ(one.eNo->Value(), serial + 1);
        return QDialog::Accepted;
    });
    OpenResourceList(ctx);
    EXPECT_EQ(store.DataRowCount(res), 1);
    EXPECT_EQ(store.View(res), nullptr) << "the view is gone with the list";
    store.SetCellText(res, resource::Name, 0, "after");
}

TEST_F(ResourceDialogs, EditingOneResource) {
    Resources({{"山田", 2}, {"佐藤", 0}, {"鈴木", 0}});
    store.SetCellText(res, resource::Affiliation, 0, "A");
    store.SetCellText(res, resource::Affiliation, 1, "B");
    store.SetCellText(res, resource::Affiliation, 2, "A");
    store.SetCellText(res, resource::MailAddress, 0, "y@example.jp");
    store.SetCellText(res, resource::Password, 0, "secret");
    store.SetCellText(res, resource::Nickname, 0, sjis::Lit("ﾔﾏﾀﾞ"));
    scripts.push_back([&](QDialog& d) {
        List(d).StringGrid1->SetCurrent(1, 1);
        List(d).StringGrid1DblClick();  // Cancel
        List(d).StringGrid1DblClick();  // OK with changes
        return QDialog::Accepted;
    });
    scripts.push_back([&](QDialog& d) {
        One(d).eName->setText(QStringLiteral("変更"));
        return QDialog::Rejected;
    });
    scripts.push_back([&](QDialog& d) {
        auto& one = One(d);
        EXPECT_EQ(one.cbGroup->count(), 2);
        EXPECT_EQ(one.cbGroup->itemText(0), QStringLiteral("A"));
        EXPECT_EQ(one.cbGroup->itemText(1), QStringLiteral("B"));
        EXPECT_EQ(one.cbGroup->currentText(), QStringLiteral("A"));
        EXPECT_EQ(one.eName->text(), QStringLiteral("山田"));
        EXPECT_EQ(one.rgType->ItemIndex(), 2);
        EXPECT_FALSE(one.eMail->isEnabled());
        EXPECT_EQ(one.eMail->text(), QStringLiteral("y@example.jp"));
        EXPECT_EQ(one.eName2->text(), QStringLiteral("ﾔﾏﾀﾞ"));
        one.eName2->setText(QStringLiteral("ﾀﾛｰ"));
        one.cbGroup->setEditText(QStringLiteral("新部署"));
        one.mMemo->setPlainText(QStringLiteral("メモ"));
        return QDialog::Accepted;
    });
    OpenResourceList(ctx);
    EXPECT_EQ(Res(0, resource::Name), sjis::Lit("山田")) << "Cancel wrote nothing";
    EXPECT_EQ(Res(0, resource::Affiliation), sjis::Lit("新部署"));
    EXPECT_EQ(Res(0, resource::Password), "secret") << "disabled fields are written back as loaded";
    EXPECT_EQ(Res(0, resource::Kind), "2");
    EXPECT_EQ(Res(0, resource::Memo), sjis::Lit("メモ\r\n"));
    EXPECT_EQ(Res(0, resource::Nickname), sjis::Lit("ﾀﾛｰ"));
    EXPECT_EQ(Res(1, resource::Nickname), "") << "another row's untouched";
}

// Limits count Shift-JIS bytes; characters Shift-JIS cannot hold are refused.
TEST_F(ResourceDialogs, EditsHoldOnlyWhatShiftJisCanHold) {
    TResEditDlg2 dlg(prompter, nullptr);
    dlg.eName->setFocus();
    Type(dlg.eName, QStringLiteral("一二三四五六七八九十百千"));
    EXPECT_EQ(dlg.eName->text(), QStringLiteral("一二三四五六七八九十")) << "20 bytes";
    dlg.eName->clear();
    Type(dlg.eName, QStringLiteral("ｱｲｳｴｵabcdefghijklmnop"));
    EXPECT_EQ(dlg.eName->text().size(), 20) << "half-width kana are one byte each";
    dlg.eName2->clear();
    Type(dlg.eName2, QStringLiteral("予定😀"));
    QApplication::processEvents();
    EXPECT_EQ(dlg.eName2->text(), QStringLiteral("予定"));
    ASSERT_FALSE(prompter.asked.empty());
    EXPECT_TRUE(prompter.asked.back().text.contains(QStringLiteral("😀")));
    dlg.mMemo->insertPlainText(QStringLiteral("ok"));
    Type(dlg.mMemo, QStringLiteral("😀"));
    EXPECT_EQ(dlg.mMemo->toPlainText(), QStringLiteral("ok"));
    EXPECT_TRUE(dlg.eName->testAttribute(Qt::WA_InputMethodEnabled)) << "names are typed in Japanese";
    EXPECT_FALSE(dlg.eName2->testAttribute(Qt::WA_InputMethodEnabled));
}

TEST(Memo, LinesAreStoredEachWithCrLf) {
    ScriptedPrompter p;
    SjisTextEdit memo(&p, true);
    memo.SetSjisText(sjis::Lit("一\r\n二\r\n"));
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("一\n二"));
    EXPECT_EQ(memo.SjisText(), sjis::Lit("一\r\n二\r\n"));
    memo.SetSjisText(" ");
    EXPECT_EQ(memo.toPlainText(), QString()) << "a loaded empty memo is empty";
    EXPECT_EQ(memo.SjisText(), "");
    memo.setPlainText(QStringLiteral("a\n\nb\n"));
    EXPECT_EQ(memo.SjisText(), "a\r\n\r\nb\r\n");
}

}  // namespace
}  // namespace vinta
