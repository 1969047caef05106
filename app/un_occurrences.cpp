// Occurrences of many patterns in one text: hashing, the automaton, and the marker-guided search.
#include "app/un_occurrences.h"

#include "app/un_mainText.h"
#include "app/un_occurrencesPrefetch.h"

#include <cstring>
#include <stdexcept>
#include <string>

namespace textovrt {

template <class C>
uint64_t HashText(std::basic_string_view<C> Text) {
  constexpr uint64_t k = 0x9E3779B97F4A7C15ull;
  constexpr size_t perWord = 8 / sizeof(C);
  uint64_t h = (Text.size() + 1) * k;
  const C* p = Text.data();
  size_t n = Text.size();
  for (; n >= perWord; p += perWord, n -= perWord) {
    uint64_t w;
    std::memcpy(&w, p, sizeof w);
    h = (h ^ w) * 0xBF58476D1CE4E5B9ull;
    h ^= h >> 31;
  }
  uint64_t w = 0;
  for (size_t i = 0; i < n; ++i)
    w |= uint64_t(TCharSet::Unit(p[i])) << (8 * sizeof(C) * i);
  h = (h ^ w) * 0x94D049BB133111EBull;
  // The final mix of MurmurHash3: every bit of the state reaches the low bits used as slots.
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDull;
  h ^= h >> 33;
  h *= 0xC4CEB9FE1A85EC53ull;
  h ^= h >> 33;
  return h;
}

template <class C>
TBasicTextSet<C>::TBasicTextSet(size_t Expected) {
  size_t capacity = 16;
  while (capacity < 2 * Expected)
    capacity *= 2;
  FSlots.assign(capacity, 0);
  FMask = capacity - 1;
  FTexts.reserve(Expected);
}

template <class C>
uint32_t TBasicTextSet<C>::Add(TView Text, uint64_t Hash) {
  const uint32_t h = static_cast<uint32_t>(Hash);
  for (size_t i = h & FMask;; i = (i + 1) & FMask) {
    const uint64_t slot = FSlots[i];
    if (slot == 0) {
      if (FTexts.size() >= kNoText - 1) throw std::length_error("too many distinct texts");
      const uint32_t id = static_cast<uint32_t>(FTexts.size());
      FTexts.push_back(Text);
      FSlots[i] = uint64_t(h) << 32 | (id + 1);
      if (2 * FTexts.size() > FSlots.size()) Grow();
      return id;
    }
    if (static_cast<uint32_t>(slot >> 32) == h) {
      const uint32_t id = static_cast<uint32_t>(slot) - 1;
      if (FTexts[id] == Text) return id;
    }
  }
}

template <class C>
uint32_t TBasicTextSet<C>::Find(TView Text, uint64_t Hash) const {
  const uint32_t h = static_cast<uint32_t>(Hash);
  for (size_t i = h & FMask;; i = (i + 1) & FMask) {
    const uint64_t slot = FSlots[i];
    if (slot == 0) return kNoText;
    if (static_cast<uint32_t>(slot >> 32) == h) {
      const uint32_t id = static_cast<uint32_t>(slot) - 1;
      if (FTexts[id] == Text) return id;
    }
  }
}

template <class C>
void TBasicTextSet<C>::Grow() {
  std::vector<uint64_t> slots(FSlots.size() * 2, 0);
  const size_t mask = slots.size() - 1;
  for (const uint64_t slot : FSlots) {
    if (slot == 0) continue;
    size_t i = static_cast<uint32_t>(slot >> 32) & mask;
    while (slots[i] != 0)
      i = (i + 1) & mask;
    slots[i] = slot;
  }
  FSlots = std::move(slots);
  FMask = mask;
}

template <class C>
TBasicPatternSet<C>::TBasicPatternSet(const std::vector<std::basic_string_view<C>>& Patterns)
    : FRootNext(size_t(1) << (8 * sizeof(C)), 0) {
  std::vector<uint32_t> order(Patterns.size());
  for (uint32_t i = 0; i < order.size(); ++i)
    order[i] = i;
  std::sort(order.begin(), order.end(),
            [&](uint32_t a, uint32_t b) { return Patterns[a] < Patterns[b]; });
  for (const auto& p : Patterns)
    FMaxLength = std::max(FMaxLength, p.size());

  // Node v stands for the prefix of length Depth shared by the sorted patterns Lo .. Hi - 1.
  struct TRange {
    uint32_t Lo, Hi, Depth;
  };
  std::vector<TRange> ranges{{0, static_cast<uint32_t>(order.size()), 0}};
  FLabel.push_back(0);
  FPattern.push_back(kNoText);
  FFail.push_back(0);
  for (uint32_t v = 0; v < ranges.size(); ++v) {
    const TRange r = ranges[v];
    FFirst.push_back(static_cast<uint32_t>(ranges.size()));
    uint32_t i = r.Lo;
    if (i < r.Hi && Patterns[order[i]].size() == r.Depth) FPattern[v] = order[i++];
    while (i < r.Hi) {
      const TUnit c = static_cast<TUnit>(Patterns[order[i]][r.Depth]);
      uint32_t j = i + 1;
      while (j < r.Hi && static_cast<TUnit>(Patterns[order[j]][r.Depth]) == c)
        ++j;
      const uint32_t w = static_cast<uint32_t>(ranges.size());
      ranges.push_back({i, j, r.Depth + 1});
      FLabel.push_back(c);
      FPattern.push_back(kNoText);
      if (v == 0) FRootNext[c] = w;
      // The failure link of w follows the one of its parent; nodes of lower depth already have
      // their children, because they come first in breadth-first order.
      FFail.push_back(v == 0 ? 0 : Next(FFail[v], static_cast<C>(c)));
      i = j;
    }
  }
  FFirst.push_back(static_cast<uint32_t>(ranges.size()));
  FOut.assign(ranges.size(), kNoText);
  for (uint32_t v = 1; v < ranges.size(); ++v) {
    const uint32_t f = FFail[v];
    FOut[v] = FPattern[f] != kNoText ? f : FOut[f];
  }
}

namespace {

using TFound = std::vector<std::pair<uint32_t, size_t>>;

// True when Text is a whole item of these markers: it begins with the start marker, and the
// first end marker that begins after its first character, at or after the start marker's end,
// is at its end. Such a text occurs exactly where the marker search finds an equal item.
template <class C>
bool IsWholeItem(std::basic_string_view<C> Text, std::basic_string_view<C> StartMarker,
                 std::basic_string_view<C> EndMarker) {
  if (StartMarker.empty() || EndMarker.empty() || !Text.starts_with(StartMarker)) return false;
  const size_t end = Text.find(EndMarker, 1);
  return end != Text.npos && end >= StartMarker.size() && end + EndMarker.size() == Text.size();
}

enum class TWay : uint8_t { wNone, wItem, wHead, wTail, wScan };

// Looks pieces of a text up in a set a few at a time: each is hashed and its slot asked for when
// it comes, and when enough have come, the texts they will be compared with are asked for too,
// so that the set's cache misses overlap.
template <class C>
class TBatchedLookup {
public:
  TBatchedLookup(const TBasicTextSet<C>& Set, std::basic_string_view<C> Text)
      : FSet(Set), FText(Text) {}

  // Found(number in the set, start) is called for each piece that is in the set, in order.
  template <class F>
  void Add(size_t Start, size_t Length, uint64_t Hash, F&& Found) {
    PrefetchSlot(FSet, Hash);
    FPending.push_back({Start, Length, Hash, kNoText});
    if (FPending.size() >= kBatch) Flush(Found);
  }
  // A piece whose number the caller knows already: it is only kept in order with the others.
  template <class F>
  void AddKnown(size_t Start, uint32_t Id, F&& Found) {
    FPending.push_back({Start, 0, 0, Id});
    if (FPending.size() >= kBatch) Flush(Found);
  }
  template <class F>
  void Flush(F&& Found) {
    uint64_t hashes[kBatch];
    size_t unknown = 0;
    for (const TPending& q : FPending)
      if (q.Known == kNoText) hashes[unknown++] = q.Hash;
    PrefetchCompared(FSet, std::span<const uint64_t>(hashes, unknown),
                     [](uint64_t H) { return H; });
    for (const TPending& q : FPending) {
      const uint32_t id =
          q.Known != kNoText ? q.Known : FSet.Find(FText.substr(q.Start, q.Length), q.Hash);
      if (id != kNoText) Found(id, q.Start);
    }
    FPending.clear();
  }

private:
  static constexpr size_t kBatch = 32;
  struct TPending {
    size_t Start, Length;
    uint64_t Hash;
    uint32_t Known; // the number, when the caller gave it
  };
  const TBasicTextSet<C>& FSet;
  std::basic_string_view<C> FText;
  std::vector<TPending> FPending;
};

// Patterns looked for only where they begin (or end): at each such place the text is hashed
// one character further at a time and looked up at the lengths that patterns have. Every
// kCheckpoint characters the piece so far must begin (or end) some pattern, or the walk stops,
// so that it goes at most that far past the longest piece that could still match.
template <class C>
class TAnchoredSet {
public:
  using TView = std::basic_string_view<C>;
  static constexpr size_t kCheckpoint = 16;

  TAnchoredSet(const std::vector<TView>& Patterns, std::vector<uint32_t> Ids, bool Ending)
      : FIds(std::move(Ids)), FWhole(Patterns.size()), FPieces(Patterns.size() / 4) {
    size_t pieces = 0;
    for (const TView p : Patterns)
      pieces += p.size() / kCheckpoint;
    size_t bits = 4096;
    while (bits < 16 * (Patterns.size() + pieces))
      bits *= 2;
    FFilter.assign(bits / 64, 0);
    FFilterMask = bits - 1;
    // The patterns view a large text here and there: each is asked for a few ahead.
    for (size_t i = 0; i < Patterns.size(); ++i) {
      if (i + 16 < Patterns.size()) __builtin_prefetch(Patterns[i + 16].data());
      const TView p = Patterns[i];
      const uint64_t h = Mixed(Polynomial(p));
      FWhole.Add(p, h);
      Mark(h);
      if (FHasLength.size() <= p.size()) FHasLength.resize(p.size() + 1, false);
      FHasLength[p.size()] = true;
      if (p.size() < 64) FShortLengths |= uint64_t(1) << p.size();
      for (size_t k = kCheckpoint; k < p.size(); k += kCheckpoint) {
        const TView piece = Ending ? p.substr(p.size() - k) : p.substr(0, k);
        const uint64_t hp = Mixed(Polynomial(piece) ^ kPieceSalt);
        FPieces.Add(piece, hp);
        Mark(hp);
      }
    }
  }

  // Calls Candidate(start, length, hash) for the pieces that begin at At and may be patterns,
  // to be looked up in Whole(); returns the characters hashed.
  template <class F>
  size_t Beginning(TView Text, size_t At, F&& Report) const {
    const size_t most = std::min(FHasLength.size() - 1, Text.size() - At);
    uint64_t h = 0;
    for (size_t n = 1; n <= most; ++n) {
      h = h * kBase + TCharSet::Unit(Text[At + n - 1]);
      if (!Check(Text.substr(At, n), h, n, Report, At)) return n;
    }
    return most;
  }
  // The same for the patterns that end at At.
  template <class F>
  size_t Ending(TView Text, size_t At, F&& Report) const {
    const size_t most = std::min(FHasLength.size() - 1, At);
    uint64_t h = 0, power = 1;
    for (size_t n = 1; n <= most; ++n) {
      h += TCharSet::Unit(Text[At - n]) * power;
      power *= kBase;
      if (!Check(Text.substr(At - n, n), h, n, Report, At - n)) return n;
    }
    return most;
  }

  const TBasicTextSet<C>& Whole() const { return FWhole; }
  uint32_t Id(uint32_t Number) const { return FIds[Number]; } // the caller's pattern number

private:
  static constexpr uint64_t kBase = 0x100000001B3ull;

  // The polynomial hash of a text, which grows one character at a time on either side.
  static uint64_t Polynomial(TView Text) {
    uint64_t h = 0;
    for (const C c : Text)
      h = h * kBase + TCharSet::Unit(c);
    return h;
  }
  static uint64_t Mixed(uint64_t H) {
    H ^= H >> 33;
    H *= 0xFF51AFD7ED558CCDull;
    H ^= H >> 33;
    return H;
  }
  // Two bits of one word per hash value (of whole patterns and of pieces alike) in a filter of
  // 16 bits per value spare all but about one in seventy of the lookups that would find nothing:
  // as many as one bit in a filter of 64 bits per value would, in a quarter of the memory, so
  // that the filter of many patterns stays in the cache. A probe reads one word.
  static uint64_t FilterBits(uint64_t H) {
    return uint64_t(1) << (H & 63) | uint64_t(1) << (H >> 6 & 63);
  }
  void Mark(uint64_t H) { FFilter[(H >> 32 & FFilterMask) >> 6] |= FilterBits(H); }
  bool MayHave(uint64_t H) const {
    const uint64_t bits = FilterBits(H);
    return (FFilter[(H >> 32 & FFilterMask) >> 6] & bits) == bits;
  }
  template <class F>
  bool Check(TView Piece, uint64_t H, size_t N, F&& Candidate, size_t Start) const {
    if (N < 64 ? (FShortLengths >> N & 1) : FHasLength[N]) {
      const uint64_t h = Mixed(H);
      if (MayHave(h)) Candidate(Start, N, h);
    }
    if (N % kCheckpoint != 0) return true;
    const uint64_t h = Mixed(H ^ kPieceSalt);
    return MayHave(h) && FPieces.Find(Piece, h) != kNoText;
  }
  static constexpr uint64_t kPieceSalt = 0x5BD1E9955BD1E995ull;

  std::vector<uint32_t> FIds;
  TBasicTextSet<C> FWhole;  // the patterns
  TBasicTextSet<C> FPieces; // their beginnings (or endings) at every checkpoint
  std::vector<uint64_t> FFilter;
  uint64_t FFilterMask = 0;
  std::vector<bool> FHasLength{false};
  uint64_t FShortLengths = 0; // the lengths below 64 that patterns have, as bits
};

} // namespace

namespace {

// The occurrences of FindOccurrences as they are found: the hinted ones, then those of whole
// items, heads, tails and the scan. Each list holds the occurrences of one pattern ascending;
// see SortByStart for the order of the lists as a whole.
template <class C>
std::array<TFound, 5>
CollectOccurrences(std::basic_string_view<C> Text, const TBasicTextSet<C>& Set,
                   const std::vector<bool>& Wanted, TBasicOccurrenceHints<C> Hints) {
  using TView = std::basic_string_view<C>;
  constexpr size_t npos = TView::npos;
  const size_t count = Set.Size();
  const TView sm = Hints.StartMarker, em = Hints.EndMarker;
  auto complete = [&](uint32_t p) { return p < Hints.Complete.size() && Hints.Complete[p]; };

  // How each pattern is looked for.
  std::vector<TWay> way(count, TWay::wNone);
  std::vector<TView> heads, tails, scanned;
  std::vector<uint32_t> headIds, tailIds, scannedIds;
  std::vector<bool> itemLength;
  size_t itemChars = 0, headChars = 0, tailChars = 0;
  for (uint32_t p = 0; p < count; ++p) {
    if (p + 16 < count) __builtin_prefetch(Set[p + 16].data()); // texts spread over the text
    if ((!Wanted.empty() && !Wanted[p]) || complete(p)) continue;
    const TView t = Set[p];
    if (!sm.empty() && t.starts_with(sm)) {
      if (IsWholeItem(t, sm, em)) {
        way[p] = TWay::wItem;
        if (itemLength.size() <= t.size()) itemLength.resize(t.size() + 1);
        itemLength[t.size()] = true;
        itemChars += t.size();
      } else {
        way[p] = TWay::wHead;
        heads.push_back(t);
        headIds.push_back(p);
        headChars += t.size();
      }
    } else if (!em.empty() && t.ends_with(em)) {
      way[p] = TWay::wTail;
      tails.push_back(t);
      tailIds.push_back(p);
      tailChars += t.size();
    } else if (!t.empty()) {
      way[p] = TWay::wScan;
    }
  }
  // The walks and item checks may take a few characters per character of the text; texts where
  // they would take more give their patterns to the scan.
  const size_t slack = 4 * Text.size() + 4096;

  // One pass over the text: at each start marker the items of the marker search whose length
  // some pattern has are looked up and the beginnings walked, at each end marker the endings.
  // Each way gives up (and leaves its patterns to the scan) when it would cost more than a few
  // characters per character of the text.
  TFound items, headFound, tailFound, scanFound;
  bool itemsDone = itemChars == 0, headsDone = heads.empty(), tailsDone = tails.empty();
  if (!itemsDone || !headsDone || !tailsDone) {
    const TAnchoredSet<C> headSet(heads, std::move(headIds), false);
    const TAnchoredSet<C> tailSet(tails, std::move(tailIds), true);
    TBatchedLookup<C> itemLookup(Set, Text), headLookup(headSet.Whole(), Text),
        tailLookup(tailSet.Whole(), Text);
    // Where the set was filled from the item list, items come in the order of its numbers: the
    // item is compared first with the next item pattern after the last one found, and only
    // looked up when it is not that one.
    uint32_t expected = 0;
    auto expectAfter = [&](uint32_t p) {
      for (expected = p + 1; expected < count && way[expected] != TWay::wItem; ++expected) {
      }
    };
    expectAfter(kNoText); // the first item pattern
    auto foundItem = [&](uint32_t p, size_t s) {
      if (way[p] != TWay::wItem) return;
      items.emplace_back(p, s);
      if (p >= expected) expectAfter(p);
    };
    auto foundHead = [&](uint32_t p, size_t s) { headFound.emplace_back(headSet.Id(p), s); };
    auto foundTail = [&](uint32_t p, size_t s) { tailFound.emplace_back(tailSet.Id(p), s); };
    bool itemsOn = !itemsDone, headsOn = !headsDone, tailsOn = !tailsDone;
    TBasicFinder<C> starts(Text, itemsOn || headsOn ? sm : TView());
    TBasicFinder<C> ends(Text, tailsOn ? em : TView());
    TBasicFinder<C> itemEnds(Text, itemsOn ? em : TView()); // the end of the item at each start
    size_t a = starts.Next(), b = ends.Next(), e = itemEnds.Next();
    size_t itemSteps = 0, headSteps = 0, tailSteps = 0;
    while (a != npos || b != npos) {
      if (a != npos && (b == npos || a <= b)) {
        if (headsOn) {
          headSteps += headSet.Beginning(
              Text, a, [&](size_t s, size_t n, uint64_t h) { headLookup.Add(s, n, h, foundHead); });
          headsOn = headSteps <= slack + headChars;
        }
        while (itemsOn && e != npos && e < a + 1)
          e = itemEnds.Next();
        const size_t length = e + em.size() - a;
        if (itemsOn && e != npos && e >= a + sm.size() && length < itemLength.size() &&
            itemLength[length]) {
          itemsOn = (itemSteps += length) <= slack + itemChars;
          const TView item = Text.substr(a, length);
          if (expected < count && Set[expected] == item) {
            itemLookup.AddKnown(a, expected, foundItem);
            expectAfter(expected);
          } else {
            itemLookup.Add(a, length, HashText(item), foundItem);
          }
        }
        a = headsOn || (itemsOn && e != npos) ? starts.Next() : npos;
      } else {
        tailSteps += tailSet.Ending(Text, b + em.size(), [&](size_t s, size_t n, uint64_t h) {
          tailLookup.Add(s, n, h, foundTail);
        });
        tailsOn = tailSteps <= slack + tailChars;
        b = tailsOn ? ends.Next() : npos;
      }
    }
    itemLookup.Flush(foundItem);
    headLookup.Flush(foundHead);
    tailLookup.Flush(foundTail);
    itemsDone = itemsDone || itemSteps <= slack + itemChars;
    headsDone = headsDone || headSteps <= slack + headChars;
    tailsDone = tailsDone || tailSteps <= slack + tailChars;
    if (!itemsDone) TFound().swap(items);
    if (!headsDone) TFound().swap(headFound);
    if (!tailsDone) TFound().swap(tailFound);
  }
  for (uint32_t p = 0; p < count; ++p) {
    const bool scan = way[p] == TWay::wScan || (way[p] == TWay::wItem && !itemsDone) ||
                      (way[p] == TWay::wHead && !headsDone) ||
                      (way[p] == TWay::wTail && !tailsDone);
    if (!scan) continue;
    scanned.push_back(Set[p]);
    scannedIds.push_back(p);
  }
  if (!scanned.empty()) {
    const TBasicPatternSet<C> set(scanned);
    set.Scan(Text, [&](uint32_t q, size_t end) {
      scanFound.emplace_back(scannedIds[q], end - scanned[q].size());
      return true;
    });
  }

  // Hinted occurrences of patterns that are not wanted (or not in the set) are dropped.
  std::erase_if(Hints.Found, [&](const auto& F) {
    return F.first >= count || (!Wanted.empty() && !Wanted[F.first]);
  });
  return {std::move(Hints.Found), std::move(items), std::move(headFound), std::move(tailFound),
          std::move(scanFound)};
}

// The hinted occurrences and those of whole items and heads are ascending by start; those of
// tails and of the scan come by their ends, which mostly keeps them ascending by start too: they
// are sorted only when they are not.
void SortByStart(TFound& List) {
  auto byStart = [](const auto& A, const auto& B) { return A.second < B.second; };
  if (!std::is_sorted(List.begin(), List.end(), byStart))
    std::stable_sort(List.begin(), List.end(), byStart);
}

} // namespace

template <class C>
TOccurrences FindOccurrences(std::basic_string_view<C> Text, const TBasicTextSet<C>& Set,
                             const std::vector<bool>& Wanted, TBasicOccurrenceHints<C> Hints) {
  const size_t count = Set.Size();
  const std::array<TFound, 5> lists = CollectOccurrences(Text, Set, Wanted, std::move(Hints));
  // Grouped by pattern with a stable counting sort: every pattern's occurrences come from one
  // list, ascending.
  TOccurrences result;
  result.First.assign(count + 1, 0);
  for (const TFound& list : lists)
    for (const auto& [p, start] : list)
      ++result.First[p + 1];
  for (size_t p = 0; p < count; ++p)
    result.First[p + 1] += result.First[p];
  result.Starts.resize(result.First[count]);
  std::vector<size_t> fill(result.First.begin(), result.First.end() - 1);
  for (const TFound& list : lists)
    for (const auto& [p, start] : list)
      result.Starts[fill[p]++] = start;
  return result;
}

template <class C>
std::vector<std::pair<uint32_t, size_t>> FindOccurrencesInOrder(std::basic_string_view<C> Text,
                                                                const TBasicTextSet<C>& Set,
                                                                TBasicOccurrenceHints<C> Hints) {
  std::array<TFound, 5> lists = CollectOccurrences(Text, Set, {}, std::move(Hints));
  size_t total = 0;
  for (TFound& list : lists) {
    SortByStart(list);
    total += list.size();
  }
  // Merged: the smallest start among the heads of the lists comes next.
  TFound result;
  result.reserve(total);
  std::array<size_t, 5> at{};
  for (;;) {
    size_t best = lists.size();
    for (size_t k = 0; k < lists.size(); ++k)
      if (at[k] < lists[k].size() &&
          (best == lists.size() || lists[k][at[k]].second < lists[best][at[best]].second))
        best = k;
    if (best == lists.size()) break;
    // The rest of that list up to the next head of another goes in one run.
    size_t limit = SIZE_MAX;
    for (size_t k = 0; k < lists.size(); ++k)
      if (k != best && at[k] < lists[k].size()) limit = std::min(limit, lists[k][at[k]].second);
    const TFound& list = lists[best];
    size_t& i = at[best];
    do
      result.push_back(list[i++]);
    while (i < list.size() && list[i].second <= limit);
  }
  return result;
}

template uint64_t HashText<char>(std::string_view);
template uint64_t HashText<char16_t>(std::u16string_view);
template class TBasicTextSet<char>;
template class TBasicTextSet<char16_t>;
template class TBasicPatternSet<char>;
template class TBasicPatternSet<char16_t>;
template TOccurrences FindOccurrences(std::string_view, const TBasicTextSet<char>&,
                                      const std::vector<bool>&, TBasicOccurrenceHints<char>);
template std::vector<std::pair<uint32_t, size_t>>
FindOccurrencesInOrder(std::string_view, const TBasicTextSet<char>&, TBasicOccurrenceHints<char>);
template std::vector<std::pair<uint32_t, size_t>>
FindOccurrencesInOrder(std::u16string_view, const TBasicTextSet<char16_t>&,
                       TBasicOccurrenceHints<char16_t>);
template TOccurrences FindOccurrences(std::u16string_view, const TBasicTextSet<char16_t>&,
                                      const std::vector<bool>&, TBasicOccurrenceHints<char16_t>);

} // namespace textovrt
