// What other programs really put in Microsoft Project XML, and what the
// import makes of it: every change said, every file it cannot take refused
// with the reason and the line.
#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "exchange/Exchange.h"
#include "exchange/Mspdi.h"
#include "store/Identity.h"
#include "store/ScheduleDocument.h"
#include "support/PlanRows.h"
#include "support/TestFolder.h"

namespace vinta {
namespace {

using testing::Rows;

std::string Project(const std::string& tasks, const std::string& rest = {},
                    const std::string& declaration = R"(<?xml version="1.0" encoding="UTF-8"?>)") {
    return declaration + "\n<Project xmlns=\"http://schemas.microsoft.com/project\"><Tasks>" + tasks + "</Tasks>" +
           rest + "</Project>";
}

std::string Task(int uid, const std::string& level, const std::string& more = {}) {
    return "<Task><UID>" + std::to_string(uid) + "</UID><Name>t" + std::to_string(uid) + "</Name><OutlineLevel>" +
           level + "</OutlineLevel>" + more + "</Task>";
}

std::string Dates(const std::string& start, const std::string& finish) {
    return "<Start>" + start + "T08:00:00</Start><Finish>" + finish + "T17:00:00</Finish>";
}

struct Odd {
    const char* what;
    std::string xml;
    std::string rows;  // as Rows() shows them
    std::string said;  // Describe()
};

TEST(ImportReport, EveryChangeIsSaid) {
    const std::string people = "<Resources><Resource><UID>4</UID><Name>山田</Name></Resource></Resources>";
    const Odd odd[] = {
        {"levels within range are taken as they are",
         Project(Task(1, "1") + Task(2, "2") + Task(3, "3") + Task(4, "4") + Task(5, "5") + Task(6, "6") +
                 Task(7, "7") + Task(8, "2")),
         "t1 0 - - 0;t2 1 - - 0;t3 2 - - 0;t4 3 - - 0;t5 4 - - 0;t6 5 - - 0;t7 6 - - 0;t8 1 - - 0;", ""},
        {"a level past the deepest is brought to it",
         Project(Task(1, "1") + Task(2, "2") + Task(3, "3") + Task(4, "4") + Task(5, "5") + Task(6, "6") +
                 Task(7, "7") + Task(8, "8") + Task(9, "2147483647")),
         "t1 0 - - 0;t2 1 - - 0;t3 2 - - 0;t4 3 - - 0;t5 4 - - 0;t6 5 - - 0;t7 6 - - 0;t8 6 - - 0;t9 6 - - 0;",
         "changed: 2 outline levels out of range brought to the nearest"},
        {"a negative level comes to the top, not dropped", Project(Task(1, "-1") + Task(2, "-99999999999")),
         "t1 0 - - 0;t2 0 - - 0;", "changed: 2 outline levels out of range brought to the nearest"},
        {"a jump in level is made one step", Project(Task(1, "1") + Task(2, "4") + Task(3, "4") + Task(4, "2")),
         "t1 0 - - 0;t2 1 - - 0;t3 1 - - 0;t4 1 - - 0;", "changed: 2 jumps in level made one step"},
        {"a first row below the top comes up", Project(Task(1, "3")), "t1 0 - - 0;",
         "changed: 1 jump in level made one step"},
        {"progress at both ends is kept",
         Project(Task(1, "1", "<PercentComplete>0</PercentComplete>") + Task(2, "1", "<PercentComplete>100</PercentComplete>")),
         "t1 0 - - 0;t2 0 - - 100;", ""},
        {"progress past the ends is brought within",
         Project(Task(1, "1", "<PercentComplete>101</PercentComplete>") +
                 Task(2, "1", "<PercentComplete>99999999999</PercentComplete>") +
                 Task(3, "1", "<PercentComplete>-1</PercentComplete>") +
                 Task(4, "1", "<PercentComplete>half</PercentComplete>")),
         "t1 0 - - 100;t2 0 - - 100;t3 0 - - 0;t4 0 - - 0;",
         "changed: 4 progresses outside 0-100 brought within"},
        {"the years 1 and 9999 are kept", Project(Task(1, "1", Dates("0001-01-01", "9999-12-31"))),
         "t1 0 0001/01/01 9999/12/31 0;", ""},
        {"years outside 1-9999 leave the date empty",
         Project(Task(1, "1", Dates("0000-12-31", "10000-01-01")) + Task(2, "1", Dates("2027-02-30", "2027-13-01"))),
         "t1 0 - - 0;t2 0 - - 0;", "changed: 4 dates outside the years 1-9999 left empty"},
        {"a finish before the start is swapped", Project(Task(1, "1", Dates("2027-03-10", "2027-03-01"))),
         "t1 0 2027/03/01 2027/03/10 0;", "changed: 1 finish before its start swapped with it"},
        {"a milestone is a one-day task",
         Project(Task(1, "1", Dates("2027-03-10", "2027-03-12") + "<Milestone>1</Milestone>") +
                 Task(2, "1", Dates("2027-03-10", "2027-03-12") + "<Milestone>0</Milestone>")),
         "t1 0 2027/03/10 2027/03/10 0;t2 0 2027/03/10 2027/03/12 0;",
         "changed: 1 milestone taken as a one-day task"},
        {"an assignment to a person or task not in the file is dropped, to nobody is not",
         Project(Task(1, "1"), people +
                                   "<Assignments><Assignment><TaskUID>1</TaskUID><ResourceUID>4</ResourceUID></Assignment>"
                                   "<Assignment><TaskUID>1</TaskUID><ResourceUID>5</ResourceUID></Assignment>"
                                   "<Assignment><TaskUID>9</TaskUID><ResourceUID>4</ResourceUID></Assignment>"
                                   "<Assignment><TaskUID>1</TaskUID><ResourceUID>-65535</ResourceUID></Assignment>"
                                   "</Assignments>"),
         "t1 0 - - 0 +4;", "dropped: 2 assignments to tasks or people not in the file"},
        {"the project's summary task and blank lines are no rows and no change",
         Project("<Task><UID>0</UID><OutlineLevel>0</OutlineLevel><Name>p</Name></Task>" + Task(1, "1") +
                 "<Task><UID>2</UID><IsNull>1</IsNull></Task>"),
         "t1 0 - - 0;", ""},
    };
    for (const Odd& o : odd) {
        std::string error;
        const auto read = ReadMspdi(o.xml, error);
        ASSERT_TRUE(read) << o.what << ": " << error;
        EXPECT_EQ(Rows(read->plan), o.rows) << o.what;
        EXPECT_EQ(Describe(read->report), o.said) << o.what;
    }
}

struct Refused {
    const char* what;
    std::string xml;
    std::string error;  // a part of the reason
};

TEST(ImportReport, FilesThatCannotBeTakenAreRefusedWithTheLine) {
    const Refused refused[] = {
        {"a task UID twice", Project(Task(1, "1") + "\n" + Task(1, "1")), "line 3: task UID 1 appears twice"},
        {"a resource UID twice",
         Project("", "<Resources><Resource><UID>3</UID><Name>a</Name></Resource>\n"
                     "<Resource><UID>3</UID><Name>b</Name></Resource></Resources>"),
         "line 3: resource UID 3 appears twice"},
        {"an undefined entity", Project("\n<Task><Name>&nope;</Name></Task>"), "line 3: undefined entity"},
        {"an entity a DTD outside the file would define",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE Project SYSTEM \"project.dtd\">\n<Project>\n<Tasks><Task><Name>&x;</Name>"
         "</Task></Tasks></Project>",
         "line 4: the entity \"x\" is not defined in the file"},
        {"an outside entity",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE Project [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>\n<Project>\n"
         "<Tasks><Task><Name>&x;</Name></Task></Tasks></Project>",
         "line 4: an entity outside the file (file:///etc/passwd) is not read"},
        {"an encoding nobody reads here", Project(Task(1, "1"), {}, R"(<?xml version="1.0" encoding="EBCDIC-US"?>)"),
         "line 1: "},
        {"not a project", "<html/>", "no Project element"},
    };
    for (const Refused& r : refused) {
        std::string error;
        EXPECT_FALSE(ReadMspdi(r.xml, error)) << r.what;
        EXPECT_NE(error.find(r.error), std::string::npos) << r.what << ": " << error;
    }
}

// Each declared encoding read as it declares: the task's name in it.
TEST(ImportReport, EncodingsOtherProgramsDeclare) {
    struct Encoded {
        const char* encoding;
        std::string name;   // in that encoding
        std::string utf8;   // what it reads as
    } const cases[] = {
        {"UTF-8", "\xE8\xA8\xAD\xE8\xA8\x88", "設計"},
        {"Shift_JIS", "\x90\xDD\x8C\x76", "設計"},
        {"shift_jis", "\xB1\xB2\x20\x5C", "ｱｲ \\"},  // half-width katakana and the backslash byte
        {"windows-31j", "\x87\x40", "①"},           // a character only code page 932 has
        {"ISO-8859-1", "caf\xE9", "café"},
        {"windows-1252", "\x80 \x93q\x94", "€ “q”"},
    };
    for (const Encoded& c : cases) {
        const std::string xml = Project("<Task><UID>1</UID><OutlineLevel>1</OutlineLevel><Name>" + c.name +
                                            "</Name></Task>",
                                        {}, std::string("<?xml version=\"1.0\" encoding=\"") + c.encoding + "\"?>");
        std::string error;
        const auto read = ReadMspdi(xml, error);
        ASSERT_TRUE(read) << c.encoding << ": " << error;
        ASSERT_EQ(read->plan.tasks.size(), 1u);
        EXPECT_EQ(read->plan.tasks[0].name, c.utf8) << c.encoding;
    }
    std::string error;
    EXPECT_FALSE(ReadMspdi(Project("<Task><Name>\x81</Name></Task>", {}, R"(<?xml version="1.0" encoding="windows-1252"?>)"), error))
        << "a byte windows-1252 leaves undefined";
    EXPECT_FALSE(ReadMspdi(Project("<Task><Name>\x85\x40</Name></Task>", {}, R"(<?xml version="1.0" encoding="Shift_JIS"?>)"), error))
        << "a pair no code page 932 character has";
    for (const char* lone : {"\x80", "\xA0", "\xFD"})
        EXPECT_FALSE(ReadMspdi(Project(std::string("<Task><Name>") + lone + "</Name></Task>", {},
                                       R"(<?xml version="1.0" encoding="Shift_JIS"?>)"),
                               error))
            << "a byte Shift-JIS leaves unused: " << static_cast<int>(static_cast<unsigned char>(lone[0]));
}

// The file read a piece at a time is the same plan as read whole, and what
// cannot be read is said as such.
TEST(ImportReport, AFileReadInPiecesIsTheSamePlan) {
    std::string tasks;
    for (int i = 1; i <= 3000; ++i)
        tasks += Task(i, std::to_string(1 + i % 3), Dates("2027-03-01", "2027-03-0" + std::to_string(1 + i % 9)) +
                                                        "<Notes>" + std::string(40, 'x') + "</Notes>");
    const std::string xml = Project(tasks);
    ASSERT_GT(xml.size(), 3u << 16) << "more than a few pieces";
    testing::TestFolder dir("import-pieces");
    const std::string path = (dir.Path() / "big.xml").string();
    std::ofstream(path, std::ios::binary) << xml;
    ScheduleDocument whole, pieces;
    const Imported a = ImportText(xml, "xml", whole), b = ImportFile(path, "xml", pieces);
    ASSERT_TRUE(a.ok && b.ok) << a.error << b.error;
    EXPECT_EQ(Describe(a.report), Describe(b.report));
    EXPECT_EQ(ScheduleIdentity(whole).size(), 16u) << "an imported schedule has its own identity";
    EXPECT_NE(ScheduleIdentity(whole), ScheduleIdentity(pieces)) << "and no other schedule's";
    pieces.store.SetCellText(pieces.optionSlot, 0, 9, whole.store.CellText(whole.optionSlot, 0, 9));
    EXPECT_EQ(whole.store.SaveToBytes(), pieces.store.SaveToBytes());
    ScheduleDocument none;
    const Imported missing = ImportFile((dir.Path() / "gone.xml").string(), "xml", none);
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.readError, ENOENT);
}

}  // namespace
}  // namespace vinta
