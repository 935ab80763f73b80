// Dialogs as a keyboard user and the eye meet them: their designed sizes with
// nothing squeezed, and Tab through every field in reading order.
#include <gtest/gtest.h>

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLayout>
#include <QLineEdit>
#include <QTest>

#include "DialogFixture.h"

namespace vinta {
namespace {

class DialogLayout : public ::testing::Test, public testing::DialogFixture {
protected:
    // The named field that holds the focus (a radio button counts as its group).
    static QString FocusName(const QStringList& names) {
        for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
            if (names.contains(w->objectName())) return w->objectName();
        return QStringLiteral("?");
    }
    // The fields Tab visits from `first`, in order, each named once.
    static QStringList TabWalk(QDialog& d, const char* first, const QStringList& names) {
        d.show();
        d.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
        d.findChild<QWidget*>(QString::fromLatin1(first))->setFocus(Qt::TabFocusReason);
        QStringList seen{FocusName(names)};
        for (int i = 0; i < 40 && seen.size() < names.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QString n = FocusName(names);
            if (n != QStringLiteral("?") && n != seen.back() && !seen.contains(n)) seen << n;
        }
        d.hide();
        return seen;
    }
};

// Each dialog keeps its designed client size, and every field in it gets at
// least the room it needs.
TEST_F(DialogLayout, DesignedSizesWithNothingSqueezed) {
    TTaskEditDlg t(ctx);
    TTaskEditDlg2 t2(prompter, nullptr);
    TResEditDlg r(ctx);
    TResEditDlg2 r2(prompter, nullptr);
    const std::pair<QDialog*, QSize> designed[] = {
        {&t, {458, 211}}, {&t2, {425, 315}}, {&r, {522, 381}}, {&r2, {290, 205}}};
    for (auto [d, size] : designed) {
        d->show();
        EXPECT_EQ(d->size(), size) << d->objectName().toStdString();
        EXPECT_EQ(d->minimumSize(), d->maximumSize()) << "a fixed dialog border";
        for (QWidget* w : d->findChildren<QWidget*>()) {
            if (!w->isVisible() || w->objectName().isEmpty() || w->objectName().startsWith(QStringLiteral("qt_")))
                continue;
            QRect inDialog(w->mapTo(d, QPoint(0, 0)), w->size());
            EXPECT_TRUE(d->rect().contains(inDialog)) << w->objectName().toStdString();
            EXPECT_GE(w->height(), w->minimumSizeHint().height()) << w->objectName().toStdString();
        }
        d->hide();
    }
}

TEST_F(DialogLayout, TabGoesThroughEveryFieldInReadingOrder) {
    TTaskEditDlg2 line(prompter, nullptr);
    const QStringList lineOrder{"cbRes", "dtFrom", "dtTo", "eProgress", "rgType", "eMemo", "OKBtn", "CancelBtn"};
    EXPECT_EQ(TabWalk(line, "cbRes", lineOrder), lineOrder);
    TTaskEditDlg task(ctx);
    const QStringList taskOrder{"eName", "dtStart", "dtEnd", "eProgress", "rgType", "rgDisp", "OKBtn", "CancelBtn"};
    EXPECT_EQ(TabWalk(task, "eName", taskOrder), taskOrder);
    TResEditDlg2 person(prompter, nullptr);
    const QStringList personOrder{"eName", "cbGroup", "eName2", "OKBtn", "CancelBtn"};
    EXPECT_EQ(TabWalk(person, "eName", personOrder), personOrder);
}

// A click into a date's day and digits typed: the day changes, as after Tab.
TEST_F(DialogLayout, ADateTakesDigitsAfterAClick) {
    TTaskEditDlg2 line(prompter, nullptr);
    line.show();
    line.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&line));
    auto* date = line.findChild<QDateEdit*>("dtFrom");
    date->setDate(QDate(2026, 12, 7));
    auto* edit = date->findChild<QLineEdit*>();
    ASSERT_TRUE(edit);
    const QString text = edit->text();
    ASSERT_EQ(text, QStringLiteral("2026/12/07"));
    // The middle of the day's first digit, in the edit's own coordinates.
    edit->setCursorPosition(8);
    int x = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x() + 2;
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(x, edit->height() / 2));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("15"));
    EXPECT_EQ(date->date(), QDate(2026, 12, 15));
    edit->setCursorPosition(1);
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x() + 2, edit->height() / 2));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("2027"));
    EXPECT_EQ(date->date(), QDate(2027, 12, 15));
}

// Every control the keyboard reaches has a name a screen reader can say:
// its label's text, its own text or its hint.
TEST_F(DialogLayout, EveryControlHasAnAccessibleName) {
    TTaskEditDlg t(ctx);
    TTaskEditDlg2 t2(prompter, nullptr);
    TResEditDlg r(ctx);
    TResEditDlg2 r2(prompter, nullptr);
    for (QDialog* d : {static_cast<QDialog*>(&t), static_cast<QDialog*>(&t2), static_cast<QDialog*>(&r),
                       static_cast<QDialog*>(&r2)}) {
        d->show();
        for (QWidget* w : d->findChildren<QWidget*>()) {
            // A combo box's or spin box's own line edit speaks for its owner,
            // a tab widget's bar for the tab widget.
            if (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisibleTo(d) || w->focusProxy() ||
                qobject_cast<QComboBox*>(w->parentWidget()) || qobject_cast<QAbstractSpinBox*>(w->parentWidget()))
                continue;
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            EXPECT_FALSE(a && a->text(QAccessible::Name).trimmed().isEmpty())
                << d->objectName().toStdString() << ": " << w->metaObject()->className() << " "
                << w->objectName().toStdString();
        }
        d->hide();
    }
}

}  // namespace
}  // namespace vinta
