// Links between tasks: the set's own rules, the block they are kept in after
// the tables, and their reading against the rows.
#include <gtest/gtest.h>

#include <cstring>

#include "KtsGenerate.h"
#include "runtime/Sjis.h"
#include "store/LinkRows.h"
#include "store/ScheduleDocument.h"
#include "store/Tables.h"

namespace vinta {
namespace {

constexpr auto FS = LinkKind::FinishToStart, SS = LinkKind::StartToStart, FF = LinkKind::FinishToFinish,
               SF = LinkKind::StartToFinish;

TEST(TaskLinks, WhatIsAddedAndWhatIsRefused) {
    TaskLinks links;
    struct Case {
        TaskLink link;
        LinkVerdict verdict;
    };
    const Case cases[] = {
        {{1, 2, FS, 0}, LinkVerdict::Added},
        {{1, 2, FS, 0}, LinkVerdict::Unchanged},
        {{1, 2, SS, 3}, LinkVerdict::Replaced},  // the same two rows: one link, its kind and lag changed
        {{2, 3, FS, 0}, LinkVerdict::Added},
        {{3, 1, FS, 0}, LinkVerdict::Cycle},     // 1 → 2 → 3 → 1
        {{2, 1, FF, 0}, LinkVerdict::Cycle},     // straight back
        {{4, 4, FS, 0}, LinkVerdict::SameRow},
        {{3, 4, FS, kMaxLagDays}, LinkVerdict::Added},
        {{3, 5, FS, kMaxLagDays + 1}, LinkVerdict::BadLag},
        {{3, 5, FS, -kMaxLagDays - 1}, LinkVerdict::BadLag},
        {{3, 5, FS, -kMaxLagDays}, LinkVerdict::Added},
        {{1, 5, SF, 0}, LinkVerdict::Added},     // two ways to 5 close no circle
    };
    for (const Case& c : cases)
        EXPECT_EQ(links.Add(c.link), c.verdict) << c.link.from << "→" << c.link.to;
    EXPECT_EQ(links.Size(), 5u);
    EXPECT_EQ(links.Find(1, 2)->kind, SS);
    EXPECT_EQ(links.Into(5).size(), 2u);
    const uint64_t before = links.Revision();
    EXPECT_FALSE(links.Remove(2, 1));
    EXPECT_EQ(links.Revision(), before) << "nothing removed, nothing changed";
    EXPECT_TRUE(links.Remove(2, 3));
    EXPECT_EQ(links.Add({3, 1, FS, 0}), LinkVerdict::Added) << "the circle is open again";
}

std::vector<TaskLink> Sample() { return {{1, 2, FS, 0}, {2, 9, SS, -2}, {9, 40, FF, 7}, {1, 40, SF, kMaxLagDays}}; }

TEST(LinksBlock, WholeBlocksOnlyAreRead) {
    const std::string block = EncodeLinksBlock(Sample());
    ASSERT_EQ(block.size(), 16u + 4 + 16 * 4 + 4);
    EXPECT_EQ(block.substr(0, 8), "VintaLnk");
    const LinksRead whole = DecodeLinksBlock(block);
    EXPECT_EQ(whole.found, LinksFound::Read);
    EXPECT_EQ(whole.links, Sample());
    EXPECT_EQ(DecodeLinksBlock(EncodeLinksBlock({})).found, LinksFound::Read);
    EXPECT_EQ(DecodeLinksBlock("").found, LinksFound::None);
    EXPECT_EQ(DecodeLinksBlock("padding written by another program").found, LinksFound::None);
    EXPECT_EQ(DecodeLinksBlock("Vint!").found, LinksFound::None);
    // Every cut and every changed byte loses all the links, never some.
    for (size_t cut = 1; cut < block.size(); ++cut) {
        const LinksRead r = DecodeLinksBlock(block.substr(0, cut));
        EXPECT_TRUE(r.links.empty()) << "cut at " << cut;
        EXPECT_EQ(r.found, LinksFound::Damaged) << "cut at " << cut;
    }
    for (size_t at = 8; at < block.size(); ++at) {
        if (at >= 8 && at < 12) continue;  // the version: below
        std::string bad = block;
        bad[at] = static_cast<char>(bad[at] ^ 0x10);
        EXPECT_EQ(DecodeLinksBlock(bad).found, LinksFound::Damaged) << "byte " << at;
    }
    std::string newer = block;
    newer[8] = 2;
    EXPECT_EQ(DecodeLinksBlock(newer).found, LinksFound::Newer);
    std::string older = block;
    older[8] = 0;
    EXPECT_EQ(DecodeLinksBlock(older).found, LinksFound::Damaged);
}

// A checksum that holds over values no writer makes: the values are refused.
TEST(LinksBlock, ValuesNoWriterMakesAreRefused) {
    const TaskLink bad[] = {{3, 3, FS, 0}, {1, 2, static_cast<LinkKind>(4), 0}, {1, 2, static_cast<LinkKind>(-1), 0},
                            {1, 2, FS, kMaxLagDays + 1}};
    for (const TaskLink& l : bad) EXPECT_EQ(DecodeLinksBlock(EncodeLinksBlock({l})).found, LinksFound::Damaged);
}

class LinkedSchedule : public ::testing::Test {
protected:
    void SetUp() override {
        GenerateSchedule(doc, {.rows = 60, .seed = 4});
        for (int r = 0; r < 60 && tasks.size() < 6; ++r)
            if (TakesLinks(doc, r)) tasks.push_back(r);
        ASSERT_EQ(tasks.size(), 6u);
    }
    int32_t No(int row) { return *SerialOf(doc, row); }
    void Link(int fromRow, int toRow, LinkKind kind = FS, int lag = 0) {
        ASSERT_EQ(doc.store.links.Add({No(fromRow), No(toRow), kind, lag}), LinkVerdict::Added);
    }
    ScheduleDocument doc;
    std::vector<int> tasks;
};

TEST_F(LinkedSchedule, AScheduleWithLinksComesBackWithThem) {
    Link(tasks[0], tasks[1]);
    Link(tasks[1], tasks[4], SF, -3);
    const std::string bytes = doc.store.SaveToBytes();
    ScheduleDocument back;
    ASSERT_EQ(back.store.LoadFromBytes(bytes), kLoadRead);
    EXPECT_EQ(back.store.LinksOnLoad(), LinksFound::Read);
    EXPECT_EQ(back.store.links.All(), doc.store.links.All());
    const std::string again = back.store.SaveToBytes();
    const size_t block = EncodeLinksBlock(doc.store.links.All()).size();
    EXPECT_TRUE(again.substr(again.size() - block) == bytes.substr(bytes.size() - block)) << "the same block";
    // Loading a file without links takes the links away.
    ScheduleDocument plain;
    ASSERT_EQ(back.store.LoadFromBytes(plain.store.SaveToBytes()), kLoadRead);
    EXPECT_TRUE(back.store.links.Empty());
    EXPECT_EQ(back.store.LinksOnLoad(), LinksFound::None);
}

// What a save keeps: links whose two rows are there and take links. A
// schedule whose links all lost a row saves as one that never had any.
TEST_F(LinkedSchedule, OnlyLinksBetweenTasksThatAreThereAreSaved) {
    const std::string without = doc.store.SaveToBytes();
    Link(tasks[0], tasks[1]);
    Link(tasks[2], tasks[3]);
    doc.store.DeleteRow(doc.outlineSlot, tasks[1]);
    EXPECT_EQ(doc.store.LiveLinks().size(), 1u);
    doc.store.SetCellText(doc.outlineSlot, outline::Type, tasks[3] - 1, "2");  // now a comment
    EXPECT_TRUE(doc.store.LiveLinks().empty());
    EXPECT_EQ(doc.store.links.Size(), 2u) << "kept, for an undo that brings the rows back";
    ScheduleDocument same;
    GenerateSchedule(same, {.rows = 60, .seed = 4});
    same.store.DeleteRow(same.outlineSlot, tasks[1]);
    same.store.SetCellText(same.outlineSlot, outline::Type, tasks[3] - 1, "2");
    EXPECT_TRUE(doc.store.SaveToBytes() == same.store.SaveToBytes());
    EXPECT_FALSE(without.empty());
}

// A damaged or cut-off block loses the links and says so; the tables load
// whole, whatever the block holds.
TEST_F(LinkedSchedule, ADamagedBlockLosesTheLinksNeverTheTables) {
    const std::string plain = doc.store.SaveToBytes();
    ScheduleDocument plainRead;
    ASSERT_EQ(plainRead.store.LoadFromBytes(plain), kLoadRead);
    const std::string tables = plainRead.store.SaveToBytes();  // as any load and save has it
    Link(tasks[0], tasks[1]);
    Link(tasks[2], tasks[5], FF, 2);
    const std::string bytes = doc.store.SaveToBytes();
    ASSERT_TRUE(bytes.substr(0, plain.size()) == plain);
    for (size_t cut = plain.size(); cut <= bytes.size(); ++cut) {
        for (bool flip : {false, true}) {
            std::string damaged = bytes.substr(0, cut);
            if (flip && cut > plain.size() + 12) damaged[cut - 1] = static_cast<char>(damaged[cut - 1] ^ 1);
            else if (flip) continue;
            ScheduleDocument back;
            back.store.links.Add({1, 2, FS, 0});
            ASSERT_EQ(back.store.LoadFromBytes(damaged), kLoadRead) << cut;
            EXPECT_TRUE(back.store.SaveToBytes().substr(0, tables.size()) == tables) << cut;
            const bool whole = cut == bytes.size() && !flip;
            EXPECT_EQ(back.store.links.Size(), whole ? 2u : 0u) << cut;
            const LinksFound expected = cut == plain.size() ? LinksFound::None
                                        : whole             ? LinksFound::Read
                                                            : LinksFound::Damaged;
            EXPECT_EQ(back.store.LinksOnLoad(), expected) << cut << (flip ? " flipped" : "");
        }
    }
}

TEST_F(LinkedSchedule, LinksFollowTheirRowsAndSayWhatTheyJoin) {
    doc.store.SetCellText(doc.outlineSlot, outline::Name, tasks[0], sjis::Lit("基本設計"));
    doc.store.SetCellText(doc.outlineSlot, outline::Name, tasks[1], sjis::Lit("詳細設計"));
    doc.store.SetCellText(doc.outlineSlot, outline::Name, tasks[2], " ");
    Link(tasks[0], tasks[1]);
    Link(tasks[2], tasks[1], SS, 2);
    Link(tasks[1], tasks[3], FF, -1);
    EXPECT_EQ(LinksOfRowWords(doc, tasks[1], doc.linkRows),
              "前: 基本設計 (終了→開始)、前: （名前なし） (開始→開始 +2日)、後: " +
                  sjis::ToUtf8(doc.OutlineCell(outline::Name, tasks[3] + 1)) + " (終了→終了 -1日)");
    EXPECT_EQ(LinksOfRowWords(doc, tasks[4], doc.linkRows), "");
    // A row inserted above moves every row; the links go with them.
    doc.store.InsertNumberedRow(doc.outlineSlot, 0);
    const auto& live = doc.linkRows.Live(doc);
    ASSERT_EQ(live.size(), 3u);
    EXPECT_EQ(live[0].fromRow, tasks[0] + 1);
    EXPECT_EQ(live[0].toRow, tasks[1] + 1);
    doc.store.DeleteRow(doc.outlineSlot, tasks[0] + 1);
    EXPECT_EQ(doc.linkRows.Live(doc).size(), 2u) << "the link from the deleted row is gone";
    EXPECT_EQ(doc.linkRows.RowOf(doc, No(tasks[1])), tasks[1]);
}

// A link is broken when the successor's dates come before what it allows.
// Dates are whole days: a finish-to-start successor may start the day after.
TEST(LinkBreaks, EachKindOnBothSidesOfItsLimit) {
    const DaySpan pred{{2027, 3, 1}, {2027, 3, 10}};
    struct Case {
        LinkKind kind;
        int lag;
        Date start, end;
        bool broken;
    };
    const Case cases[] = {
        {FS, 0, {2027, 3, 11}, {2027, 3, 20}, false}, {FS, 0, {2027, 3, 10}, {2027, 3, 20}, true},
        {FS, 2, {2027, 3, 13}, {2027, 3, 20}, false}, {FS, 2, {2027, 3, 12}, {2027, 3, 20}, true},
        {FS, -3, {2027, 3, 8}, {2027, 3, 20}, false}, {FS, -3, {2027, 3, 7}, {2027, 3, 20}, true},
        {SS, 0, {2027, 3, 1}, {2027, 3, 2}, false},   {SS, 0, {2027, 2, 28}, {2027, 3, 2}, true},
        {SS, 1, {2027, 3, 2}, {2027, 3, 2}, false},   {SS, 1, {2027, 3, 1}, {2027, 3, 2}, true},
        {FF, 0, {2027, 2, 1}, {2027, 3, 10}, false},  {FF, 0, {2027, 2, 1}, {2027, 3, 9}, true},
        {FF, 5, {2027, 2, 1}, {2027, 3, 15}, false},  {FF, 5, {2027, 2, 1}, {2027, 3, 14}, true},
        {SF, 0, {2027, 2, 1}, {2027, 2, 28}, false},  {SF, 0, {2027, 2, 1}, {2027, 2, 27}, true},
        {SF, 3, {2027, 2, 1}, {2027, 3, 3}, false},   {SF, 3, {2027, 2, 1}, {2027, 3, 2}, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Breaks({1, 2, c.kind, c.lag}, pred, {c.start, c.end}), c.broken)
            << KindWords(c.kind) << " lag " << c.lag << " " << c.start.month << "/" << c.start.day << "-"
            << c.end.month << "/" << c.end.day;
}

// A hand-edited file may number a row far above the rest: its links are
// found all the same, and the first of two rows holding one number is its row.
TEST_F(LinkedSchedule, NumbersFarApartAndNumbersTwice) {
    doc.store.SetCellText(doc.outlineSlot, outline::No, tasks[2], "2000000000");
    doc.store.SetCellText(doc.outlineSlot, outline::No, tasks[4], std::to_string(No(tasks[3])));
    doc.store.links.Assign({{No(tasks[0]), 2000000000, FS, 0}, {No(tasks[3]), No(tasks[1]), SS, 0}});
    const auto& live = doc.linkRows.Live(doc);
    ASSERT_EQ(live.size(), 2u);
    EXPECT_EQ(live[0].toRow, tasks[2]);
    EXPECT_EQ(live[1].fromRow, tasks[3]) << "not the later row with the same number";
    EXPECT_EQ(doc.store.LiveLinks().size(), 2u);
    doc.store.SetCellText(doc.outlineSlot, outline::Type, tasks[2], "3");
    EXPECT_EQ(doc.linkRows.Live(doc).size(), 1u) << "an assignment row takes no links";
    EXPECT_EQ(doc.store.LiveLinks().size(), 1u);
}

TEST_F(LinkedSchedule, RowsWithoutBothDatesAreNotJudged) {
    doc.store.SetCellText(doc.outlineSlot, outline::StartDate, tasks[0], "2027/05/01");
    doc.store.SetCellText(doc.outlineSlot, outline::EndDate, tasks[0], "2027/05/31");
    doc.store.SetCellText(doc.outlineSlot, outline::StartDate, tasks[1], "2027/05/02");
    doc.store.SetCellText(doc.outlineSlot, outline::EndDate, tasks[1], "2027/05/03");
    Link(tasks[0], tasks[1]);
    EXPECT_TRUE(Breaks(doc, doc.linkRows.Live(doc)[0]));
    doc.store.SetCellText(doc.outlineSlot, outline::EndDate, tasks[1], " ");
    EXPECT_FALSE(Breaks(doc, doc.linkRows.Live(doc)[0]));
}

}  // namespace
}  // namespace vinta
