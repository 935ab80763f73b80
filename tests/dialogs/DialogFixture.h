#pragma once
// A schedule with resources, a scripted prompter, and dialogs answered by a
// queue of scripts instead of a user.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDateEdit>
#include <QTabWidget>
#include <deque>
#include <functional>

#include "dialogs/DialogContext.h"
#include "dialogs/Numedit.h"
#include "dialogs/ResEdit.h"
#include "dialogs/TaskEdit.h"
#include "dialogs/TaskEdit2.h"
#include "dialogs/Widgets.h"
#include "framework/GridWidget.h"
#include "framework/ImageList.h"
#include "framework/Prompter.h"
#include "runtime/Sjis.h"
#include "store/ScheduleDocument.h"

namespace vinta::testing {

class DialogFixture {
public:
    ScheduleDocument s;
    StringGrid& chart = s.chartGrid;
    ScheduleStore& store = s.store;
    int o = s.outlineSlot;
    int res = s.resourceSlot;
    ImageList imgRes = MakeResourceImages(), imgInfo = MakeStateImages();
    ScriptedPrompter prompter;
    std::deque<std::function<int(QDialog&)>> scripts;
    int shown = 0;
    DialogContext ctx{s, imgRes, imgInfo, prompter,
                      [this](QDialog& d) {
                          ++shown;
                          if (scripts.empty()) return static_cast<int>(QDialog::Rejected);
                          auto f = scripts.front();
                          scripts.pop_front();
                          return f(d);
                      }};

    DialogFixture() { chart.SetFixedRows(1); }

    // Resources 1.. with these names and kinds.
    void Resources(std::initializer_list<std::pair<const char*, int>> people) {
        int r = 0;
        for (auto& [name, kind] : people) {
            if (r > 0) store.InsertNumberedRow(res, r);
            store.SetCellText(res, resource::Name, r, sjis::Lit(name));
            store.SetCellNumber(res, resource::Kind, r, kind);
            ++r;
        }
    }
    // Writes grid row g of the outline (data row g - 1).
    void Row(int g, std::initializer_list<std::pair<int, std::string>> cells) {
        while (s.grids.Schedule1.RowCount() <= g) store.InsertNumberedRow(o, s.grids.Schedule1.RowCount());
        for (auto& [col, text] : cells) store.SetCellText(o, col, g - 1, text);
        chart.SetRowCount(s.grids.Schedule1.RowCount());
    }
    void Task(int g, const std::string& no, int level, const std::string& name, int has = 0) {
        std::string h = std::to_string(has);
        Row(g, {{outline::No, no}, {outline::Name, name}, {outline::Level, std::to_string(level)},
                {outline::Type, "1"}, {outline::HasChildren, h}, {outline::Expanded, h},
                {outline::StartDate, "2005/03/10"}, {outline::EndDate, "2005/03/20"}, {outline::Progress, "40"},
                {outline::ShowBar, "1"}, {outline::WorkState, "0"}, {outline::ResourceNo, "0"},
                {outline::LinkNo, "0"}});
    }
    void Assignment(int g, const std::string& no, int level, const std::string& taskNo, const std::string& resNo) {
        Row(g, {{outline::No, no}, {outline::Name, resNo}, {outline::Level, std::to_string(level)},
                {outline::Type, "3"}, {outline::LinkNo, taskNo}, {outline::ResourceNo, resNo},
                {outline::WorkState, "2"}, {outline::StartDate, "2005/03/11"}, {outline::EndDate, "2005/03/12"},
                {outline::Progress, "10"}, {outline::HasChildren, "0"}, {outline::Expanded, "0"}});
    }
    std::string Cell(int g, int col) const { return store.CellText(o, col, g - 1); }
    // Checks made inside a script count only if its dialog was shown.
    void ExpectEveryScriptRan() const { EXPECT_TRUE(scripts.empty()) << scripts.size() << " dialog(s) never shown"; }
};

}  // namespace vinta::testing
