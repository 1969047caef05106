// Tests of the rewrite run engine against ReplaceItem applied literally, entry by entry.
#include "app/un_rewrite.h"
#include "app/un_textfile.h"
#include "tests/app/literal.h"

#include <gtest/gtest.h>

#include "tests/app/HelpText.h"

#include <random>

using namespace textovrt;
using Lines = std::vector<std::u16string>;

TEST(SplitEntries, LinesOfTheJoinedItems) {
  EXPECT_TRUE(SplitEntries({}).empty());
  EXPECT_EQ(SplitEntries({u"a", u"b"}), (Lines{u"a", u"b"}));
  // A multi-line item gives one entry per line, an empty line inside it an empty entry.
  EXPECT_EQ(SplitEntries({u"kód a\r\n\r\nb,", u"x"}), (Lines{u"kód a", u"", u"b,", u"x"}));
  EXPECT_EQ(SplitEntries({u"a\nb\rc"}), (Lines{u"a", u"b", u"c"}));
  // An item ending in a line break leaves an empty line before the next item.
  EXPECT_EQ(SplitEntries({u"a\r\n", u"b"}), (Lines{u"a", u"", u"b"}));
  EXPECT_EQ(SplitEntries({u"a\r", u"b"}), (Lines{u"a", u"", u"b"}));
}

// The help text's example: three items, the last spanning a line break, give four entries.
TEST(TRewriteRun, HelpTextExample) {
  const std::u16string text = kHelpText;
  const Lines entries = SplitEntries(FindMarkedItems(text, u"kód", u","));
  ASSERT_EQ(entries.size(), 4u);
  TRewriteRun run(text, entries);
  while (!run.Finished())
    run.Step(u"*");
  const std::u16string result = run.Text();
  EXPECT_NE(result.find(u"\r\n1. řádek * je nesmysl na entou\r\n2. řádek * je nesmysl na entou\r\n"
                        u"\r\nzaměnit"),
            std::u16string::npos);
  EXPECT_NE(result.find(u"napíšeme *\r\n* \r\nDo okna \"Zaměnit"), std::u16string::npos);
}

namespace {

// Applies the edits to a plain copy; each must say truly whether it removed a line break (an
// edit of the whole text may say so without looking).
void Mirror(std::u16string& Text, const std::vector<TTextEdit>& Edits) {
  for (const TTextEdit& e : Edits) {
    const bool removed =
        HasLineBreak(std::u16string_view(Text).substr(e.Position, e.RemovedLength));
    if (removed) {
      EXPECT_TRUE(e.RemovedLineBreak) << "edit at " << e.Position;
    } else if (e.RemovedLineBreak) {
      EXPECT_TRUE(e.Position == 0 && e.RemovedLength == Text.size()) << "edit at " << e.Position;
    }
    Text.replace(e.Position, e.RemovedLength, e.Inserted);
  }
}

// Small limits keep self-multiplying cascades short; the rules are the same at any size.
TRewriteLimits SmallLimits() {
  TRewriteLimits limits;
  limits.MaxTextLength = 3000;
  limits.MaxReplacements = 5000;
  return limits;
}

// Runs the engine and the literal replacement side by side; the edits of every step, applied
// to a plain copy, must give the same text too. The markers only guide the engine's search.
// *LongCascades counts the entries that needed more replacements than the text had characters.
void CheckRun(const std::u16string& Text, const Lines& Entries, const Lines& Replacements,
              const std::string& What, std::u16string_view StartMarker = {},
              std::u16string_view EndMarker = {}, int* LongCascades = nullptr) {
  TRewriteRun run(Text, Entries, StartMarker, EndMarker);
  run.SetLimits(SmallLimits());
  std::u16string expected = Text, mirrored = Text;
  for (size_t i = 0; i < Entries.size(); ++i) {
    const std::u16string& repl = Replacements[i % Replacements.size()];
    bool limit = false;
    try {
      size_t count = 0;
      const size_t before = expected.size();
      expected = literal::ReplaceItem(expected, Entries[i], repl, SmallLimits(), &count);
      if (LongCascades && count > before) ++*LongCascades;
    } catch (const ERewriteLimit&) {
      limit = true;
    }
    std::vector<TTextEdit> edits;
    if (limit) {
      ASSERT_THROW(run.Step(repl, &edits), ERewriteLimit) << What << " entry " << i;
      EXPECT_TRUE(edits.empty());
      ASSERT_EQ(run.Text(), expected) << What << " entry " << i << " (undone)";
      EXPECT_THROW(run.Step(repl), std::logic_error);
      return;
    }
    run.Step(repl, &edits);
    Mirror(mirrored, edits);
    ASSERT_EQ(run.Text(), expected) << What << " entry " << i;
    ASSERT_EQ(mirrored, expected) << What << " entry " << i << " (edits)";
    ASSERT_EQ(run.Length(), expected.size());
    if (expected.size() > 3000) return; // growing replacements: the literal oracle gets slow
  }
  EXPECT_TRUE(run.Finished());
}

} // namespace

TEST(TRewriteRun, MatchesLiteralEntryByEntry) {
  std::mt19937 rng(7);
  int longCascades = 0;
  for (int round = 0; round < 6000; ++round) {
    const std::u16string alphabet = round % 3 == 0 ? u"abc" : round % 3 == 1 ? u"ab" : u"ab\r\n";
    const std::u16string text = literal::RandomText(rng, alphabet, 40);
    Lines entries;
    const int n = std::uniform_int_distribution<int>(0, 8)(rng);
    for (int i = 0; i < n; ++i) {
      const int kind = std::uniform_int_distribution<int>(0, 9)(rng);
      if (kind < 4 && !text.empty()) { // a piece of the text
        const size_t a = std::uniform_int_distribution<size_t>(0, text.size() - 1)(rng);
        const size_t len = std::uniform_int_distribution<size_t>(1, 5)(rng);
        entries.push_back(text.substr(a, len));
      } else if (kind < 6 && !entries.empty()) { // a duplicate
        entries.push_back(
            entries[std::uniform_int_distribution<size_t>(0, entries.size() - 1)(rng)]);
      } else if (kind == 6) {
        entries.push_back(u"");
      } else { // anything, possibly formed only by replacements
        entries.push_back(literal::RandomText(rng, u"ab", 3));
      }
    }
    Lines repls;
    const int r = std::uniform_int_distribution<int>(1, 3)(rng);
    for (int i = 0; i < r; ++i) {
      if (!entries.empty() && std::uniform_int_distribution<int>(0, 5)(rng) == 0)
        repls.push_back(u"x" + entries[0] + u"y"); // contains an entry
      else
        repls.push_back(literal::RandomText(rng, u"ab*", 4));
    }
    // Markers unrelated to the entries must not change the run.
    static const std::u16string markers[] = {u"", u"a", u"ab", u"b", u"\r\n"};
    CheckRun(text, entries, repls, "round " + std::to_string(round), markers[round % 5],
             markers[round / 5 % 5], &longCascades);
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(longCascades, 0);
}

// Cascades that end give their exact result however many replacements they need; one that
// would pass the editor's limit is refused before the text grows, and leaves the run's text as
// the entries before it left it.
TEST(TRewriteRun, CascadesEndExactlyOrAreRefused) {
  const std::u16string a(500, u'a'), b(500, u'b');
  {
    TRewriteRun run(u"aaaabbbb", {u"ab"});
    run.Step(u"ba");
    EXPECT_EQ(run.Text(), u"bbbbaaaa");
  }
  {
    TRewriteRun run(u"x" + a + b, {u"x", u"ab"}); // 250,000 replacements
    run.Step(u"y");
    run.Step(u"ba");
    EXPECT_EQ(run.Text(), u"y" + b + a);
  }
  {
    // The entries after a long cascade go on from its text, and the edits still rebuild it.
    const std::u16string start = a + b;
    TRewriteRun run(start, {u"ab", u"ba", u"bx", u"ab"});
    std::u16string mirrored = start;
    for (const std::u16string_view repl : {u"ba", u"x", u"y", u"z"}) {
      std::vector<TTextEdit> edits;
      run.Step(repl, &edits);
      Mirror(mirrored, edits);
    }
    const std::u16string expected = b.substr(2) + u"y" + a.substr(1);
    EXPECT_EQ(run.Text(), expected);
    EXPECT_EQ(mirrored, expected);
  }
  {
    TRewriteRun run(u"xabb", {u"x", u"ab", u"b"});
    run.Step(u"y");
    try {
      run.Step(u"b" + std::u16string(1000000, u'a'));
      ADD_FAILURE() << "a cascade past the length limit was not refused";
    } catch (const ERewriteLimit& e) {
      EXPECT_EQ(e.Reason(), ERewriteLimit::rlTextTooLong);
      EXPECT_EQ(e.Item(), u"ab");
    }
    EXPECT_EQ(run.Text(), u"yabb");
    EXPECT_EQ(run.Done(), 1u);
  }
  {
    TRewriteRun run(a.substr(0, 50) + b.substr(0, 50), {u"ab"});
    TRewriteLimits limits;
    limits.MaxReplacements = 2499;
    run.SetLimits(limits);
    EXPECT_THROW(run.Step(u"ba"), ERewriteLimit);
    EXPECT_EQ(run.Text(), a.substr(0, 50) + b.substr(0, 50));
  }
  {
    // More places than an editor takes one by one: one edit of the whole text.
    TRewriteRun run(std::u16string(70000, u'a'), {u"a"});
    std::vector<TTextEdit> edits;
    run.Step(u"ab", &edits);
    std::u16string expected;
    for (int i = 0; i < 70000; ++i)
      expected += u"ab";
    ASSERT_EQ(edits.size(), 1u);
    EXPECT_EQ(edits[0].Position, 0u);
    EXPECT_EQ(edits[0].RemovedLength, 70000u);
    EXPECT_EQ(edits[0].Inserted, expected);
    EXPECT_EQ(run.Text(), expected);
  }
  // The replacements of an entry that cannot form occurrences grow the text too.
  {
    TRewriteRun run(u"[1] [2] [3]", {u"[1]", u"[2]"});
    TRewriteLimits limits;
    limits.MaxTextLength = 14;
    run.SetLimits(limits);
    run.Step(u"#####"); // 13 characters
    EXPECT_THROW(run.Step(u"#####"), ERewriteLimit);
    EXPECT_EQ(run.Text(), u"##### [2] [3]");
  }
  EXPECT_EQ(RewriteAll(a + b, {u"ab"}, u"ba"), b + a);
}

TEST(TRewriteRun, FindMarkedItemsRunsMatchLiteral) {
  std::mt19937 rng(11);
  // Markers of their own characters, and markers whose items overlap one another ("aba" twice
  // in "ababa").
  const std::u16string_view markers[][2] = {{u"[", u"]"}, {u"a", u"a"}, {u"ab", u"b"}};
  for (int round = 0; round < 4500; ++round) {
    const auto& [start, end] = markers[round % 3];
    const std::u16string text = literal::RandomText(rng, u"[]ab\r\n", 60);
    Lines entries = SplitEntries(FindMarkedItems(text, start, end));
    // A list edited by hand: the entries no longer follow the items one by one.
    if (round / 3 % 3 != 0 && !entries.empty()) {
      std::uniform_int_distribution<size_t> at(0, entries.size() - 1);
      switch (std::uniform_int_distribution<int>(0, 3)(rng)) {
      case 0: entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(at(rng))); break;
      case 1: entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(at(rng)), u"[a]"); break;
      case 2: std::swap(entries[at(rng)], entries[at(rng)]); break;
      default: entries.push_back(entries[at(rng)]); break;
      }
    }
    const Lines repls{literal::RandomText(rng, u"[]*", 3)};
    CheckRun(text, entries, repls, "round " + std::to_string(round), start, end);
    if (HasFatalFailure()) return;
  }
}

TEST(TRewriteRun, LongTextWithManyEntries) {
  // Far-apart occurrences, duplicates and replacements that form occurrences of later entries.
  std::mt19937 rng(5);
  const std::u16string text = literal::RandomText(rng, u"abcd ", 20000);
  Lines entries;
  for (int i = 0; i < 300; ++i) {
    const size_t a = std::uniform_int_distribution<size_t>(0, text.size() - 8)(rng);
    entries.push_back(text.substr(a, 2 + i % 5));
  }
  CheckRun(text, entries, {u"", u"ab", u"dd c"}, "long");
}

// Replacements that cannot form occurrences, over a text of many blocks: positions of the edits
// come from the replaced characters' bitmaps while one replacement is used, from the cuts once
// it changes; occurrences cross the blocks' edges and touch one another.
TEST(TRewriteRun, SweepingPositionsAcrossBlocks) {
  std::mt19937 rng(9);
  std::u16string text;
  while (text.size() < 2900)
    text += literal::RandomText(rng, u"ab", 100);
  text.resize(2900);
  // Long entries first, so that most of them still occur when their turn comes.
  Lines entries;
  for (int i = 0; i < 300; ++i) {
    const size_t a = std::uniform_int_distribution<size_t>(0, text.size() - 70)(rng);
    entries.push_back(text.substr(a, 67 - size_t(i) * 60 / 300));
  }
  CheckRun(text, entries, {u"*"}, "one replacement");
  CheckRun(text, entries, {u"#", u"#", u"##", u""}, "changing replacements");
  CheckRun(text, entries, {u"**", u"**", u"**", u"*"}, "a second replacement late");
}

TEST(TRewriteRun, EmptyTextAndEntries) {
  TRewriteRun empty(u"", {u"a", u""});
  EXPECT_EQ(empty.Step(u"x"), 0u);
  EXPECT_EQ(empty.Step(u"x"), 0u);
  EXPECT_TRUE(empty.Finished());
  EXPECT_EQ(empty.Text(), u"");
  EXPECT_THROW(empty.Step(u"x"), std::logic_error);
  EXPECT_EQ(RewriteAll(u"kód a, kód b,", {u"kód a,", u"kód b,"}, u"*"), u"* *");
}

// The whole run in one go, by both of its ways (replacements that can or cannot form new
// occurrences), against the literal run entry by entry.
TEST(RewriteMarkedItems, MatchesLiteralRun) {
  std::mt19937 rng(3);
  const std::pair<std::u16string, std::u16string> markers[] = {
      {u"[", u"]"}, {u"[[", u"]"}, {u"ab", u"b"}, {u"a", u"a"}, {u"[a", u"\r\n"}};
  for (int round = 0; round < 5000; ++round) {
    const auto& [sm, em] = markers[round % std::size(markers)];
    const std::u16string text = literal::RandomText(rng, u"[]ab\r\n", 40);
    const std::u16string repl =
        round % 2 ? literal::RandomText(rng, u"*#", 3) : literal::RandomText(rng, u"[]a*", 2);
    const Lines entries = SplitEntries(FindMarkedItems(text, sm, em));
    std::u16string expected = text;
    bool limit = false;
    try {
      for (const auto& e : entries)
        expected = literal::ReplaceItem(expected, e, repl, SmallLimits());
    } catch (const ERewriteLimit&) {
      limit = true;
    }
    size_t count = 0;
    if (limit) {
      EXPECT_THROW(RewriteMarkedItems(text, sm, em, repl, &count, SmallLimits()), ERewriteLimit);
      continue;
    }
    ASSERT_EQ(RewriteMarkedItems(text, sm, em, repl, &count), expected) << "round " << round;
    ASSERT_EQ(count, entries.size());
    ASSERT_EQ(RewriteAll(text, entries, repl), expected) << "round " << round;
  }
}

// The run on the bytes of a single-byte code page against the run on the decoded text, with
// markers that overlap themselves and characters above 127; a replacement that can form
// occurrences is refused.
TEST(RewriteMarkedBytes, MatchesTheRunOnTheDecodedText) {
  const auto cp = BuiltInCodePage1250();
  auto bytesOf = [&](std::u16string_view Text) {
    std::string b;
    EXPECT_TRUE(cp->Encode(Text, b));
    return b;
  };
  std::mt19937 rng(21);
  const std::pair<std::u16string, std::u16string> markers[] = {
      {u"[", u"]"}, {u"ř", u"ř"}, {u"ab", u"b"}, {u"[ř", u"\r\n"}, {u"a", u"]"}};
  int refused = 0;
  for (int round = 0; round < 4000; ++round) {
    const auto& [sm, em] = markers[round % std::size(markers)];
    const std::u16string text = literal::RandomText(rng, u"[]abř\r\n", 50);
    const std::u16string repl =
        round % 3 ? literal::RandomText(rng, u"*Ž", 3) : literal::RandomText(rng, u"[a*", 2);
    size_t count = 0, byteCount = 0;
    std::string result = "unchanged";
    const bool done = RewriteMarkedBytes(bytesOf(text), bytesOf(sm), bytesOf(em), bytesOf(repl),
                                         result, &byteCount);
    std::u16string expected;
    try {
      expected = RewriteMarkedItems(text, sm, em, repl, &count);
    } catch (const ERewriteLimit&) {
      ASSERT_FALSE(done) << "round " << round;
      continue;
    }
    if (!done) {
      ++refused;
      EXPECT_EQ(result, "unchanged");
      continue;
    }
    ASSERT_EQ(result, bytesOf(expected)) << "round " << round;
    ASSERT_EQ(byteCount, count);
  }
  EXPECT_GT(refused, 100);
}
