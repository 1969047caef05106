// Occurrences of many patterns in one text, for the rewrite run: the distinct patterns found by
// hashing, an Aho-Corasick automaton, and a search that uses the item markers to look for each
// pattern only where it can begin. Texts are UTF-16 or the bytes of a single-byte code page.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace textovrt {

constexpr uint32_t kNoText = 0xFFFFFFFFu;

// A 64-bit hash of a text's code units and length.
template <class C>
uint64_t HashText(std::basic_string_view<C> Text);
inline uint64_t HashText(std::u16string_view Text) {
  return HashText<char16_t>(Text);
}

// Distinct texts, numbered in the order they were first added, in an open-addressing table.
// The set keeps views: what they view must outlive it and stay in place.
template <class C>
class TBasicTextSet {
public:
  using TView = std::basic_string_view<C>;
  explicit TBasicTextSet(size_t Expected = 0);

  // The number of Text: a new one when it was not in the set. Hash is HashText(Text).
  uint32_t Add(TView Text) { return Add(Text, HashText(Text)); }
  uint32_t Add(TView Text, uint64_t Hash);
  // The number of Text, or kNoText when it is not in the set.
  uint32_t Find(TView Text) const { return Find(Text, HashText(Text)); }
  uint32_t Find(TView Text, uint64_t Hash) const;
  size_t Size() const { return FTexts.size(); }
  TView operator[](uint32_t Id) const { return FTexts[Id]; }
  const std::vector<TView>& Texts() const { return FTexts; }

  // The slot where a lookup with this hash begins.
  const uint64_t* FirstSlot(uint64_t Hash) const {
    return FSlots.data() + (static_cast<uint32_t>(Hash) & FMask);
  }
  // The text that a lookup with this hash would compare first, or kNoText.
  uint32_t Candidate(uint64_t Hash) const {
    const uint32_t h = static_cast<uint32_t>(Hash);
    for (size_t i = h & FMask;; i = (i + 1) & FMask) {
      const uint64_t slot = FSlots[i];
      if (slot == 0) return kNoText;
      if (static_cast<uint32_t>(slot >> 32) == h) return static_cast<uint32_t>(slot) - 1;
    }
  }

private:
  void Grow();

  std::vector<uint64_t> FSlots; // 32 bits of the hash, then number + 1; 0 for a free slot
  std::vector<TView> FTexts;
  size_t FMask = 0;
};
using TTextSet = TBasicTextSet<char16_t>;

// The set of characters (UTF-16 units or bytes) that occur in some text.
class TCharSet {
public:
  template <class C>
  void Add(std::basic_string_view<C> Text) {
    for (const C c : Text)
      Add(Unit(c));
  }
  void Add(uint32_t C) { FBits[C >> 6] |= uint64_t(1) << (C & 63); }
  bool Has(char16_t C) const { return FBits[C >> 6] >> (C & 63) & 1; }
  template <class C>
  bool HasAnyOf(std::basic_string_view<C> Text) const {
    for (const C c : Text)
      if (Has(static_cast<char16_t>(Unit(c)))) return true;
    return false;
  }
  template <class C>
  static uint32_t Unit(C Char) {
    return static_cast<std::make_unsigned_t<C>>(Char);
  }

private:
  std::array<uint64_t, 1024> FBits{};
};

// Aho-Corasick automaton over distinct non-empty patterns. Nodes are numbered in breadth-first
// order, so the children of a node are consecutive and sorted by label.
template <class C>
class TBasicPatternSet {
public:
  explicit TBasicPatternSet(const std::vector<std::basic_string_view<C>>& Patterns);

  size_t MaxLength() const { return FMaxLength; }

  // Feeds Text from the root and calls Report(pattern, end) for each occurrence, longest first
  // for one end; Report returns false to skip the shorter ones ending there.
  template <class F>
  void Scan(std::basic_string_view<C> Text, F&& Report) const {
    uint32_t s = 0;
    for (size_t i = 0; i < Text.size(); ++i) {
      s = Next(s, Text[i]);
      uint32_t t = FPattern[s] != kNoText ? s : FOut[s];
      while (t != kNoText && Report(FPattern[t], i + 1))
        t = FOut[t];
    }
  }

private:
  using TUnit = std::make_unsigned_t<C>;
  uint32_t Child(uint32_t Node, C Char) const {
    const TUnit c = static_cast<TUnit>(Char);
    if (Node == 0) return FRootNext[c];
    const TUnit* first = FLabel.data() + FFirst[Node];
    const TUnit* last = FLabel.data() + FFirst[Node + 1];
    if (last - first > 16) {
      first = std::lower_bound(first, last, c);
    } else {
      while (first < last && *first < c)
        ++first;
    }
    return first != last && *first == c ? static_cast<uint32_t>(first - FLabel.data()) : kNoText;
  }
  uint32_t Next(uint32_t Node, C Char) const {
    for (;;) {
      const uint32_t c = Child(Node, Char);
      if (c != kNoText) return c;
      if (Node == 0) return 0;
      Node = FFail[Node];
    }
  }

  std::vector<uint32_t> FFirst; // children of node v: nodes FFirst[v] .. FFirst[v + 1] - 1
  std::vector<TUnit> FLabel;    // label of the edge into each node
  std::vector<uint32_t> FFail, FOut, FPattern;
  std::vector<uint32_t> FRootNext;
  size_t FMaxLength = 0;
};
using TPatternSet = TBasicPatternSet<char16_t>;

// Where patterns occur: the ascending start positions of each.
struct TOccurrences {
  std::vector<size_t> First; // pattern p: Starts[First[p]] .. Starts[First[p + 1] - 1]
  std::vector<size_t> Starts;

  std::span<const size_t> Of(uint32_t Pattern) const {
    return {Starts.data() + First[Pattern], Starts.data() + First[Pattern + 1]};
  }
};

// What the caller knows in advance. The markers only choose where to look, so any markers give
// the same occurrences: a pattern that begins with the start marker can only begin where it
// occurs, one that ends with the end marker only end where it ends, and one that is a whole
// item (the start marker, then the first end marker that begins after its first character,
// at its end) occurs exactly where the marker search finds an equal item.
template <class C>
struct TBasicOccurrenceHints {
  std::basic_string_view<C> StartMarker, EndMarker;
  // Occurrences found already, ascending per pattern, of the patterns flagged in Complete:
  // these are all of theirs and are not looked for.
  std::vector<std::pair<uint32_t, size_t>> Found;
  std::vector<bool> Complete;
};
using TOccurrenceHints = TBasicOccurrenceHints<char16_t>;

// The occurrences in Text (overlapping ones included) of the patterns of Set for which Wanted
// is true, or of all when Wanted is empty; the others get none. Time and memory stay linear in
// the text and the patterns plus the occurrences: where the markers would cost more (markers
// that overlap themselves in long runs), the patterns are looked for by one scan instead.
template <class C>
TOccurrences FindOccurrences(std::basic_string_view<C> Text, const TBasicTextSet<C>& Set,
                             const std::vector<bool>& Wanted, TBasicOccurrenceHints<C> Hints = {});

// The occurrences of every pattern as FindOccurrences finds them, as (pattern, start) pairs in
// the order of their starts (those that begin at one place in no particular order).
template <class C>
std::vector<std::pair<uint32_t, size_t>>
FindOccurrencesInOrder(std::basic_string_view<C> Text, const TBasicTextSet<C>& Set,
                       TBasicOccurrenceHints<C> Hints = {});

} // namespace textovrt
