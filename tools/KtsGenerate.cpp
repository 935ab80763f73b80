#include "KtsGenerate.h"

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "runtime/Sjis.h"
#include "store/Kdatetime.h"
#include "store/ScheduleDocument.h"

namespace vinta {

namespace {

const char* const kFamily[] = {"佐藤", "鈴木", "高橋", "田中", "伊藤", "渡辺", "山本", "中村",
                               "小林", "加藤", "吉田", "山田", "佐々木", "山口", "松本", "井上",
                               "木村", "林", "斎藤", "清水"};
const char* const kGiven[] = {"太郎", "花子", "一郎", "美咲", "健太", "陽子", "翔", "由美",
                              "大輔", "愛", "誠", "恵", "拓也", "真由美", "浩二", "さくら"};
const char* const kDepartments[] = {"開発部", "営業部", "総務部", "企画室", "品質保証部", "ｼｽﾃﾑ課"};
const char* const kProjects[] = {"新製品開発", "基幹システム刷新", "展示会準備", "社内研修",
                                 "ウェブサイト改修", "物流センター移転", "品質改善活動"};
const char* const kTasks[] = {"要件定義", "基本設計", "詳細設計", "実装", "単体テスト",
                              "結合テスト", "受入テスト", "見積り", "資料作成", "打合せ",
                              "調査", "レビュー", "移行準備", "本番稼働", "報告書作成"};
const char* const kComments[] = {"※ 予算承認待ち", "※ 外注先と調整中", "※ 仕様変更の可能性あり"};
// Memo lines each end in CR LF, as the dialogs store them.
const char* const kMemos[] = {"", "", "", "先方確認済み\r\n", "予定より遅れ気味\r\n",
                              "担当者：「来週までに完了」\r\n追加作業あり\r\n",
                              "会議室Ａを予約, 15:00〜\r\n"};

// Deterministic across standard libraries: only the engine, whose output the
// language fixes, and plain modulo arithmetic.
class Random {
public:
    explicit Random(uint32_t seed) : engine_(seed) {}
    int Below(int n) { return static_cast<int>(engine_() % static_cast<uint32_t>(n)); }
    bool Chance(int percent) { return Below(100) < percent; }
    template <size_t N>
    const char* Pick(const char* const (&list)[N]) { return list[Below(static_cast<int>(N))]; }

private:
    std::mt19937 engine_;
};

struct Period {
    Date start;
    Date end;
};

struct RowSpec {
    int level = 0;
    int type = outline::Task;
    std::string name;  // UTF-8; for assignments the resource number
    int progress = 0;
    Period period;
    int workState = 0;
    int resourceNo = 0;
    int linkRow = -1;  // assignment: index of its task
    std::string memo;
    int showBar = 1;
};

class Generator {
public:
    Generator(const GenerateOptions& o) : o_(o), rnd_(o.seed) {}

    std::vector<RowSpec> Outline() {
        while (!Full()) Project();
        return std::move(rows_);
    }

private:
    Period RandomPeriod(const Period& within) {
        int span = std::max(0, DaysBetween(within.start.year, within.start.month, within.start.day,
                                           within.end.year, within.end.month, within.end.day));
        int offset = rnd_.Below(span / 2 + 1);
        int length = rnd_.Below(std::max(1, span - offset) + 1);
        Date s = AddDays(within.start.year, within.start.month, within.start.day, offset);
        Date e = AddDays(s.year, s.month, s.day, length);
        return {s, e};
    }

    bool Full() const { return static_cast<int>(rows_.size()) >= o_.rows; }

    void Project() {
        Period all{{o_.firstYear, 1, 1}, {o_.firstYear + 2, 12, 31}};
        RowSpec p;
        p.level = 0;
        p.type = outline::Project;
        p.name = std::string(rnd_.Pick(kProjects)) + std::to_string(++projects_);
        p.period = RandomPeriod(all);
        p.progress = rnd_.Below(101);
        p.memo = rnd_.Pick(kMemos);
        rows_.push_back(p);
        int children = 2 + rnd_.Below(6);
        for (int i = 0; i < children && !Full(); ++i) Task(1, p.period);
    }

    void Task(int level, const Period& within) {
        if (rnd_.Chance(4)) {
            RowSpec c;
            c.level = level;
            c.type = outline::Comment;
            c.name = rnd_.Pick(kComments);
            c.showBar = 0;
            rows_.push_back(c);
            return;
        }
        RowSpec t;
        t.level = level;
        t.type = outline::Task;
        t.name = rnd_.Pick(kTasks);
        t.period = RandomPeriod(within);
        t.progress = rnd_.Chance(30) ? 100 : rnd_.Below(10) * 10;
        t.memo = rnd_.Pick(kMemos);
        t.showBar = rnd_.Chance(90) ? 1 : 0;
        int self = static_cast<int>(rows_.size());
        rows_.push_back(t);
        if (level < 5 && rnd_.Chance(45 - level * 8)) {
            int children = 1 + rnd_.Below(4);
            for (int i = 0; i < children && !Full(); ++i) Task(level + 1, t.period);
        } else if (level < 5) {
            int assignments = rnd_.Below(4);
            for (int i = 0; i < assignments && !Full(); ++i) Assignment(self);
        }
    }

    void Assignment(int taskRow) {
        const RowSpec& t = rows_[static_cast<size_t>(taskRow)];
        RowSpec a;
        a.level = t.level + 1;
        a.type = outline::Assignment;
        a.resourceNo = 1 + rnd_.Below(o_.resources);
        a.name = std::to_string(a.resourceNo);
        a.period = RandomPeriod(t.period);
        a.progress = rnd_.Below(11) * 10;
        a.workState = rnd_.Below(6);
        a.linkRow = taskRow;
        a.memo = rnd_.Chance(20) ? rnd_.Pick(kMemos) : "";
        a.showBar = t.showBar;
        rows_.push_back(a);
    }

    const GenerateOptions& o_;
    Random rnd_;
    std::vector<RowSpec> rows_;
    int projects_ = 0;
};

std::string Sj(const std::string& utf8) { return sjis::Lit(utf8); }

void FillResources(ScheduleDocument& s, const GenerateOptions& o, Random& rnd) {
    int slot = s.resourceSlot;
    for (int i = 0; i < o.resources; ++i) {
        int row = i == 0 ? 0 : s.store.InsertNumberedRow(slot, i);
        std::string family = rnd.Pick(kFamily), given = rnd.Pick(kGiven);
        s.store.SetCellText(slot, resource::Name, row, Sj(family + "　" + given));
        s.store.SetCellText(slot, resource::Affiliation, row, Sj(rnd.Pick(kDepartments)));
        s.store.SetCellText(slot, resource::Nickname, row, Sj(given));
        s.store.SetCellText(slot, resource::MailAddress, row, "user" + std::to_string(i + 1) + "@example.co.jp");
        int kind = rnd.Chance(10) ? resource::Manager : rnd.Chance(20) ? resource::Leader : resource::Member;
        s.store.SetCellNumber(slot, resource::Kind, row, kind);
        s.store.SetCellText(slot, resource::Id, row, "u" + std::to_string(1000 + i));
        s.store.SetCellText(slot, resource::Password, row, "pw" + std::to_string(rnd.Below(100000)));
        s.store.SetCellText(slot, resource::Memo, row, Sj(rnd.Pick(kMemos)));
    }
}

// Tree flags and heights: a row has children when the next row is deeper; it is
// shown when every ancestor is expanded.
void SetTreeFlags(std::vector<RowSpec>& rows, std::vector<int>& hasChildren, std::vector<int>& expanded,
                  std::vector<int>& heights, Random& rnd) {
    size_t n = rows.size();
    hasChildren.assign(n, 0);
    expanded.assign(n, 0);
    heights.assign(n, 18);
    for (size_t i = 0; i + 1 < n; ++i)
        if (rows[i + 1].level > rows[i].level) hasChildren[i] = 1;
    std::vector<std::pair<int, bool>> ancestors;  // level, visible-children
    for (size_t i = 0; i < n; ++i) {
        while (!ancestors.empty() && ancestors.back().first >= rows[i].level) ancestors.pop_back();
        bool visible = ancestors.empty() || ancestors.back().second;
        heights[i] = visible ? 18 : 0;
        if (hasChildren[i]) {
            expanded[i] = rnd.Chance(88) ? 1 : 0;
            ancestors.push_back({rows[i].level, visible && expanded[i]});
        }
    }
}

}  // namespace

namespace {
// Links drawn from their own numbers, so that a schedule with links holds
// the same rows as one without. Each runs down the outline, so none closes
// a circle; most are finish-to-start, as in real plans.
void AddLinks(ScheduleDocument& s, const GenerateOptions& o, const std::vector<int>& numbers,
              const std::vector<RowSpec>& rows) {
    if (o.links <= 0) return;
    std::vector<size_t> linkable;
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].type == outline::Task || rows[i].type == outline::Project) linkable.push_back(i);
    if (linkable.size() < 2) return;
    Random rnd(o.seed ^ 0x5bd1e995u);
    std::vector<TaskLink> links;
    std::set<std::pair<int, int>> made;
    const size_t wanted = static_cast<size_t>(o.links);
    for (size_t tries = 0; links.size() < wanted && tries < wanted * 4; ++tries) {
        const size_t at = static_cast<size_t>(rnd.Below(static_cast<int>(linkable.size() - 1)));
        const size_t next = std::min(linkable.size() - 1, at + 1 + static_cast<size_t>(rnd.Below(3)));
        const int from = numbers[linkable[at]], to = numbers[linkable[next]];
        if (!made.emplace(from, to).second) continue;
        const int kind = rnd.Chance(80) ? 0 : rnd.Below(kLinkKinds);
        links.push_back({from, to, static_cast<LinkKind>(kind), rnd.Chance(85) ? 0 : rnd.Below(5) - 1});
    }
    s.store.links.Assign(std::move(links));
}
}  // namespace

void GenerateSchedule(ScheduleDocument& s, const GenerateOptions& o) {
    Random rnd(o.seed ^ 0x9E3779B9u);
    FillResources(s, o, rnd);
    std::vector<RowSpec> rows = Generator(o).Outline();
    std::vector<int> hasChildren, expanded, heights;
    SetTreeFlags(rows, hasChildren, expanded, heights, rnd);

    int slot = s.outlineSlot;
    StringGrid& g = s.grids.Schedule1;
    // The new schedule's numbered blank rows are reused; the rest are appended.
    int existing = s.store.DataRowCount(slot);
    std::vector<int> numbers(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        int r = static_cast<int>(i);
        if (r >= existing) s.store.InsertNumberedRow(slot, r);
        numbers[i] = s.store.CellNumber(slot, outline::No, r);
    }
    for (int r = static_cast<int>(rows.size()); r < existing; ++r) s.store.DeleteRow(slot, static_cast<int>(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
        const RowSpec& x = rows[i];
        int r = static_cast<int>(i);
        auto put = [&](int col, const std::string& text) { s.store.SetCellText(slot, col, r, text); };
        put(outline::Name, Sj(x.name));
        put(outline::Progress, std::to_string(x.progress));
        if (x.type != outline::Comment) {
            put(outline::StartDate, FormatDate(x.period.start.year, x.period.start.month, x.period.start.day));
            put(outline::EndDate, FormatDate(x.period.end.year, x.period.end.month, x.period.end.day));
        }
        put(outline::Level, std::to_string(x.level));
        put(outline::Type, std::to_string(x.type));
        put(outline::WorkState, std::to_string(x.workState));
        put(outline::ResourceNo, std::to_string(x.resourceNo));
        put(outline::LinkNo, std::to_string(x.linkRow >= 0 ? numbers[static_cast<size_t>(x.linkRow)] : 0));
        put(outline::HasChildren, std::to_string(hasChildren[i]));
        put(outline::Expanded, std::to_string(expanded[i]));
        put(outline::Memo, Sj(x.memo));
        put(outline::ShowBar, std::to_string(x.showBar));
        g.SetRowHeights(r + 1, heights[i]);
    }
    s.store.SetCellText(s.optionSlot, 0, 0, Sj("サンプル工程表"));
    AddLinks(s, o, numbers, rows);
}

}  // namespace vinta
