// The arrows' paths: out of the predecessor's side, down, into the side of
// the successor's bar, by the gap between rows where the bars overlap.
#include <gtest/gtest.h>

#include "store/LinkRoute.h"

namespace vinta {
namespace {

using P = RoutePoint;
using Path = std::vector<RoutePoint>;

TEST(LinkRoute, EachKindEachWay) {
    struct Case {
        const char* what;
        LinkKind kind;
        P from, to;
        int gapY;
        Path path;
    };
    // Rows 20 high: the predecessor's middle at y 10, the successor's at 50
    // (or 50 above it); step 6.
    const Case cases[] = {
        {"finish-to-start, room to go straight down", LinkKind::FinishToStart, {100, 10}, {112, 50}, 20,
         {{100, 10}, {106, 10}, {106, 50}, {112, 50}}},
        {"finish-to-start, one pixel short of room", LinkKind::FinishToStart, {100, 10}, {111, 50}, 20,
         {{100, 10}, {106, 10}, {106, 20}, {105, 20}, {105, 50}, {111, 50}}},
        {"finish-to-start, the successor starts first", LinkKind::FinishToStart, {100, 10}, {40, 50}, 20,
         {{100, 10}, {106, 10}, {106, 20}, {34, 20}, {34, 50}, {40, 50}}},
        {"finish-to-start, up to a row above", LinkKind::FinishToStart, {100, 50}, {40, 10}, 40,
         {{100, 50}, {106, 50}, {106, 40}, {34, 40}, {34, 10}, {40, 10}}},
        {"start-to-start, the successor later", LinkKind::StartToStart, {100, 10}, {140, 50}, 20,
         {{100, 10}, {94, 10}, {94, 50}, {140, 50}}},
        {"start-to-start, the successor earlier", LinkKind::StartToStart, {100, 10}, {60, 50}, 20,
         {{100, 10}, {54, 10}, {54, 50}, {60, 50}}},
        {"finish-to-finish, the successor ends later", LinkKind::FinishToFinish, {100, 10}, {140, 50}, 20,
         {{100, 10}, {146, 10}, {146, 50}, {140, 50}}},
        {"finish-to-finish, the successor ends earlier", LinkKind::FinishToFinish, {100, 10}, {60, 50}, 20,
         {{100, 10}, {106, 10}, {106, 50}, {60, 50}}},
        {"start-to-finish, the successor ends before", LinkKind::StartToFinish, {100, 10}, {60, 50}, 20,
         {{100, 10}, {94, 10}, {94, 50}, {60, 50}}},
        {"start-to-finish, exactly room", LinkKind::StartToFinish, {100, 10}, {88, 50}, 20,
         {{100, 10}, {94, 10}, {94, 50}, {88, 50}}},
        {"start-to-finish, the successor ends after", LinkKind::StartToFinish, {100, 10}, {89, 50}, 20,
         {{100, 10}, {94, 10}, {94, 20}, {95, 20}, {95, 50}, {89, 50}}},
    };
    for (const Case& c : cases) EXPECT_EQ(RouteLink(c.kind, c.from, c.to, c.gapY, 6), c.path) << c.what;
}

TEST(LinkRoute, SidesOfEachKind) {
    EXPECT_TRUE(LeavesFromEnd(LinkKind::FinishToStart));
    EXPECT_TRUE(LeavesFromEnd(LinkKind::FinishToFinish));
    EXPECT_FALSE(LeavesFromEnd(LinkKind::StartToStart));
    EXPECT_FALSE(LeavesFromEnd(LinkKind::StartToFinish));
    EXPECT_TRUE(EntersAtStart(LinkKind::FinishToStart));
    EXPECT_TRUE(EntersAtStart(LinkKind::StartToStart));
    EXPECT_FALSE(EntersAtStart(LinkKind::FinishToFinish));
    EXPECT_FALSE(EntersAtStart(LinkKind::StartToFinish));
}

}  // namespace
}  // namespace vinta
