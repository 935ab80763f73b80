#include "ResEdit.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "dialogs/Numedit.h"
#include "dialogs/Widgets.h"
#include "framework/Canvas.h"
#include "framework/Colors.h"
#include "framework/GridWidget.h"
#include "framework/ImageList.h"
#include "runtime/Sjis.h"
#include "store/ScheduleDocument.h"
#include "store/Tables.h"

namespace vinta {

void PrepareDialogCell(Canvas& c, const CellState& st) {
    QPalette pal = QGuiApplication::palette();
    if (st.fixed) {
        c.SetBrush(pal.color(QPalette::Button));
    } else if (st.selected) {
        c.SetBrush(pal.color(QPalette::Highlight));
        c.SetFontColor(pal.color(QPalette::HighlightedText));
    } else {
        c.SetBrush(pal.color(QPalette::Base));
        c.SetFontColor(pal.color(QPalette::Text));
    }
}

namespace {

QWidget* Named(QWidget* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}


}  // namespace

TResEditDlg2::TResEditDlg2(Prompter& prompter, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("リソースの編集"));
    setObjectName(QStringLiteral("ResEditDlg2"));
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->addTab(BasicPage(prompter), QStringLiteral("基本情報"));
    PageControl1->addTab(AdminPage(prompter), QStringLiteral("管理情報"));
    auto* memo = new QWidget;
    auto* mv = new QVBoxLayout(memo);
    mMemo = new SjisTextEdit(&prompter, true);
    Named(mMemo, "mMemo");
    mv->addWidget(BuddyLabel(QStringLiteral("メモ(&O)"), mMemo));
    mv->addWidget(mMemo);
    PageControl1->addTab(memo, QStringLiteral("メモ"));
    TurnPagesByKeys(this, PageControl1);

    QDialogButtonBox* buttons = MakeOkCancel(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addWidget(buttons);
    SetTabChain({eName, cbGroup, eName2, mMemo});
    FitToDesign(this, {290, 205});
}

QWidget* TResEditDlg2::BasicPage(Prompter& prompter) {
    auto* basic = new QWidget;
    auto* bf = new QFormLayout(basic);
    eNo = new TNumEdit;
    Named(eNo, "eNo");
    eNo->setReadOnly(true);
    eNo->setFocusPolicy(Qt::NoFocus);
    eNo->setMaximumWidth(80);
    eName = new SjisLineEdit(&prompter, 20, true);
    Named(eName, "eName");
    cbGroup = new QComboBox;
    Named(cbGroup, "cbGroup");
    cbGroup->setEditable(true);
    cbGroup->setInsertPolicy(QComboBox::NoInsert);
    cbGroup->setLineEdit(new SjisLineEdit(&prompter, 0, true));
    eName2 = new SjisLineEdit(&prompter, 10, false);
    Named(eName2, "eName2");
    bf->addRow(QStringLiteral("No."), eNo);
    bf->addRow(QStringLiteral("名前(&N)"), eName);
    bf->addRow(QStringLiteral("所属(&G)"), cbGroup);
    bf->addRow(QStringLiteral("ﾆｯｸﾈｰﾑ(&K)"), eName2);
    return basic;
}

// Shown but not editable: the values are still loaded and written back.
QWidget* TResEditDlg2::AdminPage(Prompter& prompter) {
    auto* admin = new QWidget;
    auto* af = new QFormLayout(admin);
    eMail = new SjisLineEdit(&prompter, 0, false);
    Named(eMail, "eMail");
    rgType = new RadioGroup(QStringLiteral("種別"), {QStringLiteral("メンバー"), QStringLiteral("リーダー"),
                                                   QStringLiteral("管理者")}, 3);
    Named(rgType, "rgType");
    eID = new SjisLineEdit(&prompter, 10, false);
    Named(eID, "eID");
    ePassword = new SjisLineEdit(&prompter, 10, false);
    Named(ePassword, "ePassword");
    af->addRow(QStringLiteral("ﾒｰﾙｱﾄﾞﾚｽ(&M)"), eMail);
    af->addRow(rgType);
    af->addRow(QStringLiteral("ID(&I)"), eID);
    af->addRow(QStringLiteral("Password(&P)"), ePassword);
    for (QWidget* w : std::initializer_list<QWidget*>{eMail, rgType, eID, ePassword}) w->setEnabled(false);
    for (QLabel* l : admin->findChildren<QLabel*>()) l->setEnabled(false);
    return admin;
}

void TResEditDlg2::Fill(const ScheduleStore& store, int slot, int row, const QStringList& groups) {
    cbGroup->addItems(groups);
    cbGroup->setCurrentIndex(-1);
    auto text = [&](int col) { return store.CellText(slot, col, row); };
    eNo->SetValue(CellHoldsNumber(text(resource::No)) ? TNumEdit::ReadInteger(CellToQt(text(resource::No))) : 0);
    if (store.HasNumber(slot, resource::Kind, row)) {
        eName->SetSjisText(text(resource::Name));
        cbGroup->setEditText(CellToQt(text(resource::Affiliation)));
        eName2->SetSjisText(text(resource::Nickname));
        eMail->SetSjisText(text(resource::MailAddress));
        rgType->SetItemIndex(TNumEdit::ReadInteger(CellToQt(text(resource::Kind))));
        eID->SetSjisText(text(resource::Id));
        ePassword->SetSjisText(text(resource::Password));
        mMemo->SetSjisText(text(resource::Memo));
    } else {
        rgType->SetItemIndex(resource::Member);
    }
}

void TResEditDlg2::Store(ScheduleStore& store, int slot, int row) const {
    store.SetCellNumber(slot, resource::No, row, eNo->Value());
    store.SetCellText(slot, resource::Name, row, eName->SjisText());
    store.SetCellText(slot, resource::Affiliation, row, QtToCell(cbGroup->currentText()));
    store.SetCellText(slot, resource::Nickname, row, eName2->SjisText());
    store.SetCellText(slot, resource::MailAddress, row, eMail->SjisText());
    store.SetCellNumber(slot, resource::Kind, row, std::max(0, rgType->ItemIndex()));
    store.SetCellText(slot, resource::Id, row, eID->SjisText());
    store.SetCellText(slot, resource::Password, row, ePassword->SjisText());
    store.SetCellText(slot, resource::Memo, row, mMemo->SjisText());
}

TResEditDlg::TResEditDlg(const DialogContext& context) : QDialog(context.parent), ctx_(context) {
    setWindowTitle(QStringLiteral("リソースの編集"));
    setObjectName(QStringLiteral("ResEditDlg"));
    // The caption is the one both resource windows share; a screen reader
    // tells the list from the one person's dialog opened over it.
    setAccessibleName(QStringLiteral("リソース一覧"));
    auto* bar = new QToolBar;
    bar->setIconSize(QSize(16, 16));
    AddToolButton(bar, "Append", QStringLiteral("追加"), [this] { AppendClick(); });
    AddToolButton(bar, "Delete", QStringLiteral("削除"), [this] { DeleteClick(); });
    AddToolButton(bar, "sbEdit", QStringLiteral("編集"), [this] { StringGrid1DblClick(); });

    StringGrid1 = new GridWidget(&view);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setAccessibleName(QStringLiteral("リソース"));
    StringGrid1->SetFixedCols(1);
    StringGrid1->SetGridLines(true);
    StringGrid1->SetRowSelect(true);
    StringGrid1->SetDrawCell([this](Canvas& c, int col, int row, const QRect& r, CellState st) {
        PrepareDialogCell(c, st);
        const int left = r.left(), top = r.top(), right = left + r.width(), bottom = top + r.height();
        std::string_view text = view.Cells(col, row);
        QSize ext = c.TextExtent(text);
        int cx = (r.width() - ext.width()) / 2, cy = (r.height() - ext.height()) / 2;
        c.FillRect(left, top, right, bottom);
        int x = left + 2;
        if (row == 0) {
            x = left + cx;
        } else if (col == resource::No) {
            x = right - ext.width() - 2;
        } else if (col == resource::Name) {
            std::string_view kind = view.Cells(resource::Kind, row);
            if (CellHoldsNumber(kind)) {
                static constexpr int kIcon[] = {2, 1, 0};
                int k = TNumEdit::ReadInteger(CellToQt(kind));
                if (k >= 0 && k <= 2) ctx_.imgRes.Draw(c, left, top + (r.height() - 16) / 2, kIcon[k]);
            }
            x = left + ctx_.imgRes.Width() + 2;
        }
        c.TextRect(left, top, right, bottom, x, top + cy, text);
    });
    connect(StringGrid1, &GridWidget::cellDoubleClicked, this, &TResEditDlg::StringGrid1DblClick);
    StringGrid1->SetEnterActivates(true);

    auto* close = new QPushButton(QStringLiteral("閉じる"));
    close->setObjectName(QStringLiteral("CloseBtn"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(bar);
    layout->addWidget(StringGrid1, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(close);
    layout->addLayout(bottom);
    FitToDesign(this, {522, 381});

    ctx_.doc.store.LinkView(ctx_.doc.resourceSlot, &view);
    StringGrid1->SetCurrent(1, 1);
    StringGrid1->Refresh();
}

TResEditDlg::~TResEditDlg() {
    // The view dies with the dialog; the store must not write into it.
    ctx_.doc.store.LinkView(ctx_.doc.resourceSlot, nullptr);
}

void TResEditDlg::AppendClick() {
    ctx_.doc.store.InsertNumberedRow(ctx_.doc.resourceSlot, view.RowCount());
    StringGrid1->Refresh();
}

void TResEditDlg::DeleteClick() {
    if (StringGrid1->Row() <= 0) return;
    ctx_.doc.store.DeleteRow(ctx_.doc.resourceSlot, StringGrid1->Row() - 1);
    StringGrid1->Refresh();
}

void TResEditDlg::StringGrid1DblClick() {
    TResEditDlg2 dlg(ctx_.prompter, this);
    if (StringGrid1->Row() < 1) return;
    QStringList groups;
    for (int r = view.FixedRows(); r < view.RowCount(); ++r) {
        QString g = CellToQt(view.Cells(resource::Affiliation, r));
        if (!groups.contains(g)) groups << g;
    }
    int a = StringGrid1->Row() - 1;
    dlg.Fill(ctx_.doc.store, ctx_.doc.resourceSlot, a, groups);
    if (ctx_.Run(dlg) == QDialog::Accepted) dlg.Store(ctx_.doc.store, ctx_.doc.resourceSlot, a);
    StringGrid1->Refresh();
}

void OpenResourceList(const DialogContext& context) {
    TResEditDlg dlg(context);
    if (context.Run(dlg) == QDialog::Accepted)
        ScheduleStore::CopyDataRows(context.doc.store.Grid(context.doc.resourceSlot), &dlg.view);
}

}  // namespace vinta
