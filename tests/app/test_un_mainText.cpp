// Tests of the marker search and the item replacement.
#include "app/un_mainText.h"
#include "tests/app/literal.h"

#include <gtest/gtest.h>

#include <random>

using namespace textovrt;
using Items = std::vector<std::u16string>;

TEST(FindMarkedItems, ListedCases) {
  EXPECT_EQ(FindMarkedItems(u"1. řádek kód xyzvh, je nesmysl na entou", u"kód", u","),
            Items{u"kód xyzvh,"});
  // Overlapping start markers each give an item.
  EXPECT_EQ(FindMarkedItems(u"aaa,", u"aa", u","), (Items{u"aaa,", u"aa,"}));
  // Nested markers: the last "]" closes nothing.
  EXPECT_EQ(FindMarkedItems(u"x[1[2]3]y", u"[", u"]"), (Items{u"[1[2]", u"[2]"}));
  EXPECT_EQ(FindMarkedItems(u"[a] [a]", u"[", u"]"), (Items{u"[a]", u"[a]"}));
  EXPECT_EQ(FindMarkedItems(u"[a] [b", u"[", u"]"), Items{u"[a]"});
  EXPECT_EQ(FindMarkedItems(u"a,b,c", u",", u","), Items{u",b,"});
  // The end marker found inside the start marker gives StartMarker + EndMarker.
  EXPECT_EQ(FindMarkedItems(u"kód x", u"kód", u"d"), Items{u"kódd"});
  EXPECT_EQ(FindMarkedItems(u"abab", u"ab", u"ba"), Items{u"abba"});
  EXPECT_TRUE(FindMarkedItems(u"a,b", u"", u",").empty());
  EXPECT_TRUE(FindMarkedItems(u"a,b", u"a", u"").empty());
  EXPECT_TRUE(FindMarkedItems(u"", u"a", u",").empty());
  // Line breaks are ordinary characters.
  EXPECT_EQ(FindMarkedItems(u"kód a\r\nb, c", u"kód", u","), Items{u"kód a\r\nb,"});
}

TEST(ReplaceItem, ListedCases) {
  EXPECT_EQ(ReplaceItem(u"1. řádek kód xyzvh, je nesmysl na entou", u"kód xyzvh,", u"*"),
            u"1. řádek * je nesmysl na entou");
  // Nested items in order: the first takes the second with it.
  std::u16string t = u"x[1[2]3]y";
  for (const auto& item : FindMarkedItems(t, u"[", u"]"))
    t = ReplaceItem(t, item, u"*");
  EXPECT_EQ(t, u"x*3]y");
  EXPECT_EQ(ReplaceItem(u"[a] [a]", u"[a]", u"*"), u"* *");
  EXPECT_EQ(ReplaceItem(u"kód x", u"kódd", u"*"), u"kód x");
  // Rescanning: the first deletion forms a new occurrence.
  EXPECT_EQ(ReplaceItem(u"aabb", u"ab", u""), u"");
  EXPECT_EQ(ReplaceItem(u"aaabbb", u"ab", u"c"), u"aacbb"); // "ab" formed? no: "aacbb"
  EXPECT_EQ(ReplaceItem(u"xyz", u"", u"*"), u"xyz");
  EXPECT_EQ(ReplaceItem(u"", u"a", u"*"), u"");
  EXPECT_EQ(ReplaceItem(u"a", u"ab", u"*"), u"a");
}

TEST(ReplaceItem, EndsForEveryInput) {
  // A replacement containing the item: one pass, leftmost non-overlapping occurrences.
  EXPECT_EQ(ReplaceItem(u"ab ab", u"ab", u"ab"), u"ab ab");
  EXPECT_EQ(ReplaceItem(u"aaa", u"aa", u"xaay"), u"xaaya");
  EXPECT_EQ(ReplaceItem(u"kód", u"kód", u"[kód]"), u"[kód]");
  // A replacement that keeps forming occurrences without containing the item.
  EXPECT_THROW(ReplaceItem(u"abbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb", u"ab", u"baaa"), ERewriteLimit);
  // Cascades that end stay exact.
  EXPECT_EQ(ReplaceItem(u"aab", u"ab", u"bba"), u"bbbbaa");
}

// Alphabets small enough that markers overlap, nest and form new occurrences often.
TEST(FindMarkedItems, MatchesLiteralSearch) {
  std::mt19937 rng(1234);
  for (int round = 0; round < 20000; ++round) {
    const std::u16string alphabet = round % 2 ? u"ab" : u"abc";
    const std::u16string text = literal::RandomText(rng, alphabet, 14);
    const std::u16string sm = literal::RandomText(rng, alphabet, 3);
    const std::u16string em = literal::RandomText(rng, alphabet, 3);
    ASSERT_EQ(FindMarkedItems(text, sm, em), literal::FindMarkedItems(text, sm, em))
        << "round " << round;
  }
}

TEST(ReplaceItem, MatchesLiteralReplacement) {
  std::mt19937 rng(99);
  int limits = 0;
  for (int round = 0; round < 40000; ++round) {
    const std::u16string alphabet = round % 3 ? u"ab" : u"abc";
    const std::u16string text = literal::RandomText(rng, alphabet, 12);
    const std::u16string item = literal::RandomText(rng, alphabet, 3);
    const std::u16string repl = literal::RandomText(rng, alphabet, 4);
    std::u16string expected;
    bool expectedLimit = false;
    try {
      expected = literal::ReplaceItem(text, item, repl);
    } catch (const ERewriteLimit&) {
      expectedLimit = true;
      ++limits;
    }
    if (expectedLimit) {
      ASSERT_THROW(ReplaceItem(text, item, repl), ERewriteLimit) << "round " << round;
    } else {
      ASSERT_EQ(ReplaceItem(text, item, repl), expected) << "round " << round;
    }
  }
  EXPECT_GT(limits, 0); // the guard was exercised
}

// The finder against a plain search at every place: texts around the block size, patterns
// that are periodic enough to exhaust its candidate budget, and the pattern's end characters
// at the text's edges.
TEST(TFinder, FindsEveryOccurrence) {
  std::mt19937 rng(5);
  auto plain = [](const std::u16string& Text, const std::u16string& Pattern) {
    std::vector<size_t> found;
    for (size_t i = 0; !Pattern.empty() && i + Pattern.size() <= Text.size(); ++i)
      if (Text.compare(i, Pattern.size(), Pattern) == 0) found.push_back(i);
    return found;
  };
  for (int round = 0; round < 20000; ++round) {
    const std::u16string alphabet = round % 3 == 0 ? u"a" : round % 3 == 1 ? u"ab" : u"abč";
    const size_t length = std::uniform_int_distribution<size_t>(0, round % 10 ? 40 : 300)(rng);
    const std::u16string text = literal::RandomText(rng, alphabet, length);
    const std::u16string pattern = literal::RandomText(rng, alphabet, round % 7 ? 4 : 30);
    ASSERT_EQ(FindAll(text, pattern), plain(text, pattern)) << "round " << round;
  }
  // Long periodic runs: the matcher takes over part way and must neither miss nor repeat.
  const std::u16string run(5000, u'a');
  EXPECT_EQ(FindAll(run, std::u16string(1000, u'a')).size(), 4001u);
  EXPECT_EQ(FindAll(run + u"b" + run, std::u16string(100, u'a') + u"b").size(), 1u);
  EXPECT_TRUE(FindAll(u"abc", u"").empty());
  EXPECT_EQ(FindAll(u"abc", u"abc"), std::vector<size_t>{0});
}
