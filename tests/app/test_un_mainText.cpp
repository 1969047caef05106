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
  // A replacement that keeps forming occurrences without containing the item: every "a" of the
  // long replacement meets the last "b" in turn, and each replacement adds a million characters,
  // so the text would pass the editor's limit after some 2,148 replacements. It is refused then,
  // before the text grows, while only the first replacement's characters are held.
  std::u16string multiplying(1000001, u'a');
  multiplying[0] = u'b';
  try {
    ReplaceItem(u"abb", u"ab", multiplying);
    ADD_FAILURE() << "a cascade past the length limit was not refused";
  } catch (const ERewriteLimit& e) {
    EXPECT_EQ(e.Reason(), ERewriteLimit::rlTextTooLong);
    EXPECT_EQ(e.Item(), u"ab");
    EXPECT_NE(std::string(e.what()).find("„ab“"), std::string::npos) << e.what();
  }
  // Cascades that end stay exact.
  EXPECT_EQ(ReplaceItem(u"aab", u"ab", u"bba"), u"bbbbaa");
}

// Cascades that need far more replacements than the text has characters end exactly.
TEST(ReplaceItem, LongCascadesEndExactly) {
  EXPECT_EQ(ReplaceItem(u"aaaabbbb", u"ab", u"ba"), u"bbbbaaaa"); // 16 replacements
  const std::u16string a(500, u'a'), b(500, u'b');
  size_t count = 0;
  EXPECT_EQ(literal::ReplaceItem(a + b, u"ab", u"ba", {}, &count), b + a);
  EXPECT_EQ(count, 250000u);
  EXPECT_EQ(ReplaceItem(a + b, u"ab", u"ba"), b + a);
  // A growing cascade: each "a" doubles the "b"s it passes.
  EXPECT_EQ(ReplaceItem(u"aaaaaaaaaab", u"ab", u"bba"), std::u16string(1024, u'b') + u"aaaaaaaaaa");
}

TEST(ReplaceItem, LimitsOfACascade) {
  const std::u16string text = std::u16string(50, u'a') + std::u16string(50, u'b'); // 2,500 needed
  TRewriteLimits limits;
  limits.MaxReplacements = 2500;
  EXPECT_EQ(ReplaceItem(text, u"ab", u"ba", limits),
            std::u16string(50, u'b') + std::u16string(50, u'a'));
  limits.MaxReplacements = 2499;
  try {
    ReplaceItem(text, u"ab", u"ba", limits);
    ADD_FAILURE() << "a cascade past the replacement limit was not refused";
  } catch (const ERewriteLimit& e) {
    EXPECT_EQ(e.Reason(), ERewriteLimit::rlTooManyReplacements);
  }
  // The length: "aab" with "bba" ends at 6 characters.
  limits = {};
  limits.MaxTextLength = 6;
  EXPECT_EQ(ReplaceItem(u"aab", u"ab", u"bba", limits), u"bbbbaa");
  limits.MaxTextLength = 5;
  EXPECT_THROW(ReplaceItem(u"aab", u"ab", u"bba", limits), ERewriteLimit);
  // The one-pass rule grows the text too.
  EXPECT_THROW(ReplaceItem(u"aaa", u"a", u"[a]", limits), ERewriteLimit);
  // A replacement shorter than the item ends by itself: no limit applies.
  limits = {};
  limits.MaxReplacements = 1;
  limits.MaxTextLength = 1;
  EXPECT_EQ(ReplaceItem(text, u"ab", u"", limits), u"");
  EXPECT_EQ(ReplaceItem(u"aaabbb", u"aab", u"a", limits), u"ab");
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
  // Small limits keep self-multiplying cascades short; the rules are the same at any size.
  TRewriteLimits small;
  small.MaxTextLength = 300;
  small.MaxReplacements = 4000;
  int limits = 0, longCascades = 0;
  for (int round = 0; round < 40000; ++round) {
    const std::u16string alphabet = round % 3 ? u"ab" : u"abc";
    const std::u16string text = literal::RandomText(rng, alphabet, 12);
    const std::u16string item = literal::RandomText(rng, alphabet, 3);
    const std::u16string repl = literal::RandomText(rng, alphabet, 4);
    std::u16string expected;
    bool expectedLimit = false;
    try {
      size_t count = 0;
      expected = literal::ReplaceItem(text, item, repl, small, &count);
      if (count > text.size()) ++longCascades;
    } catch (const ERewriteLimit&) {
      expectedLimit = true;
      ++limits;
    }
    if (expectedLimit) {
      ASSERT_THROW(ReplaceItem(text, item, repl, small), ERewriteLimit) << "round " << round;
    } else {
      ASSERT_EQ(ReplaceItem(text, item, repl, small), expected) << "round " << round;
    }
  }
  EXPECT_GT(limits, 0);       // the guard was exercised
  EXPECT_GT(longCascades, 0); // and cascades longer than the text ended exactly
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
