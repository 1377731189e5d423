#include "data/Entries.h"

#include <gtest/gtest.h>

namespace {

TDBItem Item(const std::string& name) {
    return {name, name + ".exe", "C:\\" + name, "-" + name, name};
}

TEntries List(std::initializer_list<const char*> names) {
    TEntries list;
    for (const char* n : names)
        list.Append(Item(n));
    return list;
}

std::string Names(const TEntries& list) {
    std::string out;
    for (std::int32_t i = 0; i < list.Count(); ++i)
        out += list.At(i).Name + (i + 1 < list.Count() ? "," : "");
    return out;
}

TEST(Entries, EmptyListRaisesRangeErrorCarryingIndexAndCount) {
    TEntries list;
    EXPECT_EQ(list.Count(), 0);
    try {
        (void)list.At(0);
        FAIL() << "At(0) on an empty list must raise";
    } catch (const DynArrayOutOfRange& e) {
        EXPECT_EQ(e.Index, 0);
        EXPECT_EQ(e.Count, 0);
    }
    auto three = List({"A", "B", "C"});
    EXPECT_THROW((void)three.At(3), DynArrayOutOfRange);
    EXPECT_THROW((void)three.At(-1), DynArrayOutOfRange);
    EXPECT_EQ(Names(three), "A,B,C");
}

TEST(Entries, ResizeKeepsPrefixAndGivesEmptyEntries) {
    auto list = List({"A", "B", "C"});
    list.Resize(5);
    ASSERT_EQ(list.Count(), 5);
    EXPECT_EQ(list.At(2).Params, "-C");
    for (int i : {3, 4}) {
        const auto& e = list.At(i);
        EXPECT_TRUE(e.Name.empty() && e.Filename.empty() && e.Directory.empty() &&
                    e.Params.empty() && e.Keyword.empty());
    }
    list.Resize(2);
    EXPECT_EQ(Names(list), "A,B");
    EXPECT_EQ(list.At(1).Directory, "C:\\B");
    list.Resize(0);
    EXPECT_EQ(list.Count(), 0);
}

TEST(Entries, NegativeResizeEmptiesTheList) {
    auto list = List({"A", "B"});
    list.Resize(-7);
    EXPECT_EQ(list.Count(), 0);
}

TEST(Entries, DeleteMovesLaterEntriesDown) {
    struct Case {
        int index;
        const char* left;
    } cases[] = {{1, "A,C,D"}, {0, "B,C,D"}, {3, "A,B,C"}};
    for (const auto& c : cases) {
        auto list = List({"A", "B", "C", "D"});
        list.Delete(c.index);
        EXPECT_EQ(Names(list), c.left) << "delete " << c.index;
        EXPECT_EQ(list.At(list.Count() - 1).Keyword, list.At(list.Count() - 1).Name)
            << "all five fields move together";
    }
    auto only = List({"A"});
    only.Delete(0);
    EXPECT_EQ(only.Count(), 0);
    auto abc = List({"A", "B", "C"});
    EXPECT_THROW(abc.Delete(3), DynArrayOutOfRange);
    EXPECT_EQ(Names(abc), "A,B,C");
}

TEST(Entries, AppendAndReplaceAndDuplicateKeywords) {
    auto list = List({"A", "B"});
    list.Append(Item("N"));
    EXPECT_EQ(Names(list), "A,B,N");
    EXPECT_EQ(list.At(2).Filename, "N.exe");

    list.Replace(0, {"X", "x.exe", "", "", "B"});
    EXPECT_EQ(Names(list), "X,B,N");
    EXPECT_EQ(list.At(0).Keyword, "B");
    EXPECT_EQ(list.At(1).Keyword, "B") << "duplicate keywords are kept at their own indices";

    // Appending a copy of an element of the same list survives the list's reallocation.
    list.Append(list.At(1));
    EXPECT_EQ(Names(list), "X,B,N,B");
}

} // namespace
