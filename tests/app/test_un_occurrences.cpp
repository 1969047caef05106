// Tests of the occurrence search: the set of distinct texts, and every way of looking for
// patterns against a plain search at every place.
#include "app/un_occurrences.h"
#include "app/un_mainText.h"
#include "tests/app/literal.h"

#include <gtest/gtest.h>

#include <random>

using namespace textovrt;

TEST(TTextSet, NumbersDistinctTextsThroughGrowth) {
  // Many duplicates among texts that share long beginnings.
  std::mt19937 rng(1);
  std::vector<std::u16string> texts;
  for (int i = 0; i < 5000; ++i)
    texts.push_back(u"položka " + std::u16string(static_cast<size_t>(i % 7), u'x') +
                    literal::RandomText(rng, u"ab", 6));
  TTextSet set(3); // grows many times
  std::vector<uint32_t> ids;
  for (const auto& t : texts)
    ids.push_back(set.Add(t));
  for (size_t i = 0; i < texts.size(); ++i) {
    ASSERT_EQ(set[ids[i]], texts[i]);
    ASSERT_EQ(set.Find(texts[i]), ids[i]);
    for (size_t j = 0; j < i && j < 50; ++j)
      ASSERT_EQ(ids[i] == ids[j], texts[i] == texts[j]);
  }
  const uint32_t empty = set.Add(u"");
  EXPECT_EQ(set.Find(u""), empty);
  EXPECT_EQ(set.Find(u"jinak"), kNoText);
  // Numbers follow the order of first addition.
  TTextSet small;
  EXPECT_EQ(small.Add(u"b"), 0u);
  EXPECT_EQ(small.Add(u"a"), 1u);
  EXPECT_EQ(small.Add(u"b"), 0u);
  EXPECT_EQ(small.Size(), 2u);
}

namespace {

std::vector<size_t> PlainFind(std::u16string_view Text, std::u16string_view Pattern) {
  std::vector<size_t> found;
  for (size_t i = 0; !Pattern.empty() && i + Pattern.size() <= Text.size(); ++i)
    if (Text.substr(i, Pattern.size()) == Pattern) found.push_back(i);
  return found;
}

} // namespace

// Markers are only a guide: with any markers, or none, the occurrences are those of a plain
// search. Patterns come as items of the markers, their lines, their beginnings and endings,
// and unrelated pieces.
TEST(FindOccurrences, AnyMarkersGiveEveryOccurrence) {
  std::mt19937 rng(17);
  const std::pair<std::u16string, std::u16string> markers[] = {
      {u"[", u"]"}, {u"[[", u"]"}, {u"ab", u"b"}, {u"a", u"a"},
      {u"", u"]"},  {u"[", u""},   {u"", u""}};
  for (int round = 0; round < 6000; ++round) {
    const auto& [sm, em] = markers[round % std::size(markers)];
    const std::u16string text = literal::RandomText(rng, u"[]ab\n", 50);
    std::vector<std::u16string> patterns;
    for (const auto& item : FindMarkedItems(text, round % 3 ? sm : u"[", round % 3 ? em : u"]")) {
      patterns.push_back(item);
      patterns.push_back(item.substr(0, item.size() / 2 + 1));
      patterns.push_back(item.substr(item.size() / 2));
    }
    for (int i = 0; i < 4; ++i)
      patterns.push_back(literal::RandomText(rng, u"[]ab", 4));
    TTextSet set;
    for (const auto& p : patterns)
      set.Add(p);
    std::vector<bool> wanted;
    if (round % 4 == 0)
      for (size_t p = 0; p < set.Size(); ++p)
        wanted.push_back(p % 2 == 0);
    const TOccurrences found = FindOccurrences<char16_t>(text, set, wanted, {sm, em, {}, {}});
    for (uint32_t p = 0; p < set.Size(); ++p) {
      const auto of = found.Of(p);
      const std::vector<size_t> expected =
          wanted.empty() || wanted[p] ? PlainFind(text, set[p]) : std::vector<size_t>{};
      ASSERT_EQ(std::vector<size_t>(of.begin(), of.end()), expected)
          << "round " << round << " pattern " << p;
    }
  }
}

// Long runs of self-overlapping markers would make the walks from every marker quadratic; the
// search hands such patterns to the scan and still finds everything.
TEST(FindOccurrences, OverlappingMarkersStayExact) {
  const std::u16string text = std::u16string(20000, u'<') + u"x>" + std::u16string(20000, u'>');
  TTextSet set;
  const std::u16string head = std::u16string(3000, u'<'), tail = std::u16string(3000, u'>');
  const std::u16string item = u"<<x>";
  set.Add(head);
  set.Add(tail);
  set.Add(item);
  const TOccurrences found = FindOccurrences<char16_t>(text, set, {}, {u"<", u">", {}, {}});
  EXPECT_EQ(found.Of(0).size(), 20000u - 3000u + 1);
  EXPECT_EQ(found.Of(1).size(), 20000u - 3000u + 2);
  ASSERT_EQ(found.Of(2).size(), 1u);
  EXPECT_EQ(found.Of(2)[0], 19998u);
}

// Occurrences the caller found already are taken as they are, and their patterns are not
// looked for again.
TEST(FindOccurrences, CompleteHintsAreKept) {
  TTextSet set;
  set.Add(u"[a]");
  set.Add(u"b");
  TOccurrenceHints hints{u"[", u"]", {{0, 4}}, {true}};
  const TOccurrences found = FindOccurrences<char16_t>(u"[a] [a] b", set, {}, hints);
  EXPECT_EQ(std::vector<size_t>(found.Of(0).begin(), found.Of(0).end()), std::vector<size_t>{4});
  EXPECT_EQ(std::vector<size_t>(found.Of(1).begin(), found.Of(1).end()), std::vector<size_t>{8});
}
