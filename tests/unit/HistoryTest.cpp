#include "app/History.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

TEST(History, KeepsEachLineOnceNewestFirstAndAtMostAHundred) {
    THistory history;
    history.Load({"A", "", "B", "A", "C"});
    EXPECT_EQ(history.Lines(), (Lines{"A", "B", "C"}));
    EXPECT_FALSE(history.Changed()) << "loading is no change";
    history.Add("A");
    EXPECT_FALSE(history.Changed()) << "the newest again changes nothing";
    history.Add("C");
    EXPECT_EQ(history.Lines(), (Lines{"C", "A", "B"}));
    EXPECT_TRUE(history.Changed());
    for (int i = 0; i < 120; ++i)
        history.Add("L" + std::to_string(i));
    ASSERT_EQ(history.Lines().size(), THistory::kCapacity);
    EXPECT_EQ(history.Lines().front(), "L119");
    EXPECT_EQ(history.Lines().back(), "L20");
}

TEST(History, RecallsOnlyLinesThatBeginWithWhatWasTypedUntilTheLineIsEdited) {
    THistory history;
    history.Load({"G DOGS", "NOTE", "G CATS", "G "});
    EXPECT_EQ(history.Newer("G "), std::nullopt) << "Down before any Up";
    EXPECT_EQ(history.Older("G "), "G DOGS") << "not the typed text itself";
    EXPECT_EQ(history.Older("G DOGS"), "G CATS");
    EXPECT_EQ(history.Older("G CATS"), std::nullopt) << "the oldest stays";
    EXPECT_EQ(history.Newer("G CATS"), "G DOGS");
    EXPECT_EQ(history.Newer("G DOGS"), "G ") << "back to what was typed";
    EXPECT_EQ(history.Newer("G "), std::nullopt);
    EXPECT_EQ(history.Older("G "), "G DOGS") << "still the same prefix";

    // An edited line is the prefix of the next Up.
    EXPECT_EQ(history.Older("N"), "NOTE");
    EXPECT_EQ(history.Newer("NOTE"), "N");
    EXPECT_EQ(history.Older(""), "G DOGS") << "an empty line recalls every line";

    history.EndRecall();
    EXPECT_EQ(history.Newer("G DOGS"), std::nullopt) << "a new call-up starts afresh";
    EXPECT_EQ(history.Older("G DOGS"), std::nullopt);
    history.Add("G BIRDS");
    EXPECT_EQ(history.Older("G"), "G BIRDS");
}

} // namespace
