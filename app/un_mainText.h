// Text functions of the main window: the marker search and the replacement of one item.
//
// Texts are UTF-16 code units compared exactly (no case folding, no normalisation; line breaks
// and blanks are ordinary characters). Positions in comments are 0-based.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace textovrt {

// How far a cascade of replacements may go (see ReplaceItem): the longest text the editor holds,
// and the most replacements one item may make. Tests pass smaller ones.
struct TRewriteLimits {
  static constexpr uint64_t kMaxTextLength = 2147483632;
  static constexpr uint64_t kMaxReplacements = 1000000000;
  uint64_t MaxTextLength = kMaxTextLength;
  uint64_t MaxReplacements = kMaxReplacements;
};

// Thrown when rewriting an item would make the text longer than the limit, or when its
// replacements keep forming new occurrences past the limit of replacements. The message names
// the item (UTF-8).
class ERewriteLimit : public std::runtime_error {
public:
  enum TReason { rlTextTooLong, rlTooManyReplacements };
  ERewriteLimit(std::u16string_view Item, TReason Reason, const TRewriteLimits& Limits);
  TReason Reason() const { return FReason; }
  const std::u16string& Item() const { return FItem; }

private:
  TReason FReason;
  std::u16string FItem;
};

// Finds the occurrences of one pattern in a text one after the other, overlapping ones
// included, without keeping them. Candidates are the places where the pattern's first and last
// characters both match, sixteen bytes at a time; when checking candidates costs more than a
// few characters per character of the text (periodic patterns in periodic texts), it goes on
// as a Knuth-Morris-Pratt matcher, so the whole scan stays linear. For UTF-16 texts and for the
// bytes of single-byte code pages.
template <class C>
class TBasicFinder {
public:
  TBasicFinder(std::basic_string_view<C> Text, std::basic_string_view<C> Pattern);
  // Start of the next occurrence, or npos when there is none (always for an empty pattern).
  size_t Next();

private:
  static constexpr size_t kBlock = 16 / sizeof(C); // places per block
  size_t NextByKmp();

  std::basic_string_view<C> FText, FPattern;
  size_t FBlock = 0;  // first place of the block whose candidates FMask holds
  size_t FNext = 0;   // first place of the next block to check
  uint32_t FMask = 0; // candidates left in that block, sizeof(C) bits per place
  size_t FBudget = 0; // characters that checking candidates may still compare
  bool FKmp = false;  // the linear matcher has taken over at FAt
  std::vector<size_t> FPi;
  size_t FAt = 0, FK = 0;
};
using TFinder = TBasicFinder<char16_t>;

// Every piece of Text that runs from an occurrence of StartMarker to the first occurrence of
// EndMarker that begins at least one character after that start, in the order of the start
// markers. Start markers may overlap one another; each gives its own item, so items may overlap
// or nest. A start marker without an end marker after it gives nothing. When the end marker
// begins inside the start marker, the item is StartMarker + EndMarker. An empty marker gives an
// empty list. Runs in time linear in the text plus the size of the result.
std::vector<std::u16string> FindMarkedItems(std::u16string_view Text,
                                            std::u16string_view StartMarker,
                                            std::u16string_view EndMarker);

// Where FindMarkedItems finds its items: the start marker's position and the end marker's.
// When End < Start + StartMarker.size() the item is StartMarker + EndMarker (which need not
// occur in the text); otherwise it is the text from Start to End + EndMarker.size().
struct TMarkedSpan {
  size_t Start = 0, End = 0;
};

std::vector<TMarkedSpan> FindMarkedSpans(std::u16string_view Text, std::u16string_view StartMarker,
                                         std::u16string_view EndMarker);
// Calls Found(span) for each of them in turn, while the text around it is fresh in the cache.
template <class C, class F>
void ForEachMarkedSpan(std::basic_string_view<C> Text, std::basic_string_view<C> StartMarker,
                       std::basic_string_view<C> EndMarker, F&& Found) {
  constexpr size_t npos = std::basic_string_view<C>::npos;
  if (StartMarker.empty() || EndMarker.empty()) return;
  // Starts come in ascending order, and each pairs with the first end that begins after its
  // first character, so one pass over the ends serves every start.
  TBasicFinder<C> starts(Text, StartMarker), ends(Text, EndMarker);
  size_t b = ends.Next();
  for (size_t a = starts.Next(); a != npos && b != npos; a = starts.Next()) {
    while (b != npos && b < a + 1)
      b = ends.Next();
    if (b == npos) break; // no later start can find an end either
    Found(TMarkedSpan{a, b});
  }
}

// Replaces every occurrence of Item in Text by Replacement, always the leftmost occurrence of
// the text as it stands after the previous replacement, so that an occurrence formed by a
// replacement together with the text around it is replaced too ("aabb", "ab", "" gives "").
// An empty item changes nothing.
//
// Two rules make it end for every input:
// - When Replacement contains Item, rescanning would never end; the text is then rewritten in
//   one pass from left to right, at the leftmost non-overlapping occurrences of the given text.
// - A replacement shorter than the item shortens the text every time, so it always ends. One at
//   least as long can keep forming occurrences (the item "ab" with the replacement "baaa"
//   multiplies "abbbb..." without bound), and cascades that do end may need far more
//   replacements than the text has characters ("aaaabbbb", "ab", "ba" needs 16). Such a
//   cascade runs to its exact end, unless it would make the text longer than
//   Limits.MaxTextLength (checked before the text grows) or make more than
//   Limits.MaxReplacements replacements: then it throws ERewriteLimit and the input is left as
//   it was. The one-pass rule only has the length limit.
// Runs in time linear in the text plus, per replacement, the item and replacement lengths.
std::u16string ReplaceItem(std::u16string_view Text, std::u16string_view Item,
                           std::u16string_view Replacement, const TRewriteLimits& Limits = {});

// The longest proper prefix of Pattern that is also its suffix, for every prefix length
// (Knuth-Morris-Pratt failure function): Result[i] belongs to Pattern[0..i].
std::vector<size_t> PrefixFunction(std::u16string_view Pattern);

// Start positions of every occurrence of Pattern in Text, overlapping ones included, in order.
std::vector<size_t> FindAll(std::u16string_view Text, std::u16string_view Pattern);

} // namespace textovrt
