// tests/text_test.cpp -- leftBytes / rightBytes cuts and Text ownership.
#include "policy/text.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

struct CutCase {
    const char* name;
    std::string_view text;
    std::int32_t count;
    std::string_view left, right;
};

const CutCase kCutCases[] = {
    {"negative count", "abc", -1, "", ""},
    {"zero count", "abc", 0, "", ""},
    {"shorter than text", "abcd", 2, "ab", "cd"},
    {"equal to text", "abc", 3, "abc", "abc"},
    {"longer than text", "abc", 4, "abc", "abc"},
    {"empty text", "", 5, "", ""},
    {"cut inside a two-byte character", "ab\xB0\xA1", 3, "ab\xB0", "b\xB0\xA1"},
    {"largest count", "abc", INT32_MAX, "abc", "abc"},
};

TEST(TextCuts, CountBytesNotCharacters) {
    for (const CutCase& c : kCutCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(leftBytes(c.text, c.count).view(), c.left);
        EXPECT_EQ(rightBytes(c.text, c.count).view(), c.right);
        EXPECT_EQ(leftView(c.text, c.count), c.left);
        EXPECT_EQ(rightView(c.text, c.count), c.right);
    }
}

TEST(Text, EmptyTextWithOrWithoutBlockIsTheSame) {
    const Text none;
    const Text zeroOnly = Text::withSize(0);
    EXPECT_FALSE(none.holdsBlock());
    EXPECT_TRUE(zeroOnly.holdsBlock());
    EXPECT_TRUE(none.empty() && zeroOnly.empty());
    EXPECT_STREQ(none.cString(), "");
    EXPECT_STREQ(zeroOnly.cString(), "");
}

TEST(Text, AssignmentReplacesAndMovesOwnership) {
    Text a("first");
    Text b("second");
    a = std::move(b);
    EXPECT_EQ(a.view(), "second");
    EXPECT_FALSE(b.holdsBlock());  // NOLINT(bugprone-use-after-move): the move empties it
    Text& self = a;
    a = std::move(self);
    EXPECT_EQ(a.view(), "second");
}

TEST(TextList, KeepsOrderEmptiesAndDuplicates) {
    TextList list = TextList::withCapacity(3);
    list.append(Text("x"));
    list.append(Text());
    list.append(Text("x"));
    list.append(Text("beyond capacity"));
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list[0].view(), "x");
    EXPECT_TRUE(list[1].empty());
    EXPECT_EQ(list[2].view(), "x");
}

TEST(TextList, AnEmptyListStillExists) {
    TextList unborn;
    TextList empty = TextList::withCapacity(0);
    EXPECT_FALSE(unborn.exists());
    EXPECT_TRUE(empty.exists());
    EXPECT_EQ(empty.size(), 0);
    empty.release();
    EXPECT_FALSE(empty.exists());
}

}  // namespace
}  // namespace quorvane
