// Occurrences of many patterns in one text, for the rewrite run: the distinct patterns found by
// hashing, an Aho-Corasick automaton, and a search that uses the item markers to look for each
// pattern only where it can begin.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace textovrt {

constexpr uint32_t kNoText = 0xFFFFFFFFu;

// A 64-bit hash of a text's code units and length.
uint64_t HashText(std::u16string_view Text);

// Distinct texts, numbered in the order they were first added, in an open-addressing table.
// The set keeps views: what they view must outlive it and stay in place.
class TTextSet {
public:
  explicit TTextSet(size_t Expected = 0);

  // The number of Text: a new one when it was not in the set. Hash is HashText(Text).
  uint32_t Add(std::u16string_view Text) { return Add(Text, HashText(Text)); }
  uint32_t Add(std::u16string_view Text, uint64_t Hash);
  // The number of Text, or kNoText when it is not in the set.
  uint32_t Find(std::u16string_view Text) const { return Find(Text, HashText(Text)); }
  uint32_t Find(std::u16string_view Text, uint64_t Hash) const;
  // Asks for the slot of a text with this hash to be brought into the cache.
  void Prefetch(uint64_t Hash) const {
    __builtin_prefetch(FSlots.data() + (static_cast<uint32_t>(Hash) & FMask));
  }

  size_t Size() const { return FTexts.size(); }
  std::u16string_view operator[](uint32_t Id) const { return FTexts[Id]; }
  const std::vector<std::u16string_view>& Texts() const { return FTexts; }

private:
  void Grow();

  std::vector<uint64_t> FSlots; // 32 bits of the hash, then number + 1; 0 for a free slot
  std::vector<std::u16string_view> FTexts;
  size_t FMask = 0;
};

// The set of characters that occur in some text.
class TCharSet {
public:
  void Add(std::u16string_view Text) {
    for (const char16_t c : Text)
      FBits[c >> 6] |= uint64_t(1) << (c & 63);
  }
  bool Has(char16_t C) const { return FBits[C >> 6] >> (C & 63) & 1; }
  bool HasAnyOf(std::u16string_view Text) const {
    for (const char16_t c : Text)
      if (Has(c)) return true;
    return false;
  }

private:
  std::array<uint64_t, 1024> FBits{};
};

// Aho-Corasick automaton over distinct non-empty patterns. Nodes are numbered in breadth-first
// order, so the children of a node are consecutive and sorted by label.
class TPatternSet {
public:
  explicit TPatternSet(const std::vector<std::u16string_view>& Patterns);

  size_t MaxLength() const { return FMaxLength; }

  // Feeds Text from the root and calls Report(pattern, end) for each occurrence, longest first
  // for one end; Report returns false to skip the shorter ones ending there.
  template <class F>
  void Scan(std::u16string_view Text, F&& Report) const {
    uint32_t s = 0;
    for (size_t i = 0; i < Text.size(); ++i) {
      s = Next(s, Text[i]);
      uint32_t t = FPattern[s] != kNoText ? s : FOut[s];
      while (t != kNoText && Report(FPattern[t], i + 1))
        t = FOut[t];
    }
  }

private:
  uint32_t Child(uint32_t Node, char16_t C) const {
    if (Node == 0) return FRootNext[C];
    const char16_t* first = FLabel.data() + FFirst[Node];
    const char16_t* last = FLabel.data() + FFirst[Node + 1];
    if (last - first > 16) {
      first = std::lower_bound(first, last, C);
    } else {
      while (first < last && *first < C)
        ++first;
    }
    return first != last && *first == C ? static_cast<uint32_t>(first - FLabel.data()) : kNoText;
  }
  uint32_t Next(uint32_t Node, char16_t C) const {
    for (;;) {
      const uint32_t c = Child(Node, C);
      if (c != kNoText) return c;
      if (Node == 0) return 0;
      Node = FFail[Node];
    }
  }

  std::vector<uint32_t> FFirst; // children of node v: nodes FFirst[v] .. FFirst[v + 1] - 1
  std::vector<char16_t> FLabel; // label of the edge into each node
  std::vector<uint32_t> FFail, FOut, FPattern;
  std::vector<uint32_t> FRootNext;
  size_t FMaxLength = 0;
};

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
struct TOccurrenceHints {
  std::u16string_view StartMarker, EndMarker;
  // Occurrences found already, ascending per pattern, of the patterns flagged in Complete:
  // these are all of theirs and are not looked for.
  std::vector<std::pair<uint32_t, size_t>> Found;
  std::vector<bool> Complete;
};

// The occurrences in Text (overlapping ones included) of the patterns of Set for which Wanted
// is true, or of all when Wanted is empty; the others get none. Time and memory stay linear in
// the text and the patterns plus the occurrences: where the markers would cost more (markers
// that overlap themselves in long runs), the patterns are looked for by one scan instead.
TOccurrences FindOccurrences(std::u16string_view Text, const TTextSet& Set,
                             const std::vector<bool>& Wanted, TOccurrenceHints Hints = {});

} // namespace textovrt
