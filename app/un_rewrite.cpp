// The rewrite run: entries applied one after the other, with edits reported per entry.
//
// The text is a piece table: every character has a fixed id, its index in a store that holds
// the original text followed by every replacement ever written. Pieces (runs of consecutive
// ids) sit in a treap ordered by text position, with subtree lengths for position lookups and
// parent links for the way back from a piece to its position. A map from first id to piece
// finds the piece holding an id, or tells that the character is gone.
//
// Occurrences of the distinct entries are found once in the original text (where the item
// markers allow, only at the markers; see FindOccurrences) and kept per entry as the id of
// their first character. A replacement can only form a new occurrence overlapping what it
// wrote, so after each replacement the window around it is scanned again by an Aho-Corasick
// automaton of every entry, and new occurrences of entries still to come are added. An occurrence
// is still there when its characters are: one piece holding all of its ids proves it, otherwise the
// text at its position is compared.
//
// Most runs never form an occurrence: when a replacement is not empty and none of its
// characters occurs in any entry, an entry can only replace occurrences of the original text
// that no earlier replacement touched. Such steps only mark the replaced characters of the
// original text and keep a Fenwick tree of the length changes for the positions of the edits;
// the piece table is built from the text of that moment when the first other replacement
// comes.
#include "app/un_rewrite.h"

#include "app/un_mainText.h"
#include "app/un_occurrences.h"
#include "base/TextUtils.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <map>
#include <queue>
#include <stdexcept>

namespace textovrt {

namespace {

// Calls Line(line, at) for each line of each item that the marker search finds in Text, in the
// order of the item list; At is where the item was found when the line is the whole item (and
// so occurs exactly where equal items are found), npos otherwise. Fused is the start and end
// marker together: the item of a start marker whose end marker overlaps it. An item's lines
// include the part after its last line break (the item list follows each item with a line
// break of its own): "a\r" joined with the CR LF after it is one line "a" and one empty line,
// as the joined text reads.
template <class C, class F>
void ForEachItemLine(std::basic_string_view<C> Text, std::basic_string_view<C> StartMarker,
                     std::basic_string_view<C> EndMarker, std::basic_string_view<C> Fused,
                     F&& Line) {
  using TView = std::basic_string_view<C>;
  ForEachMarkedSpan(Text, StartMarker, EndMarker, [&](TMarkedSpan s) {
    const bool isFused = s.End < s.Start + StartMarker.size();
    const TView item = isFused ? Fused : Text.substr(s.Start, s.End + EndMarker.size() - s.Start);
    ForEachLine(item, [&](TView line) {
      Line(line, !isFused && line.size() == item.size() ? s.Start : TView::npos);
    });
  });
}

} // namespace

std::vector<std::u16string> SplitEntries(const std::vector<std::u16string>& Items) {
  std::vector<std::u16string> entries;
  for (const std::u16string& item : Items)
    ForEachLine(std::u16string_view(item),
                [&](std::u16string_view line) { entries.emplace_back(line); });
  return entries;
}

namespace {

constexpr uint32_t kNone = kNoText;

// True when any of the bits From .. To - 1 is set.
bool AnyBitSet(const std::vector<uint64_t>& Bits, uint64_t From, uint64_t To) {
  if (From >= To) return false;
  const uint64_t w0 = From >> 6, w1 = (To - 1) >> 6;
  const uint64_t lo = ~uint64_t(0) << (From & 63), hi = ~uint64_t(0) >> (63 - ((To - 1) & 63));
  if (w0 == w1) return (Bits[w0] & lo & hi) != 0;
  if (Bits[w0] & lo) return true;
  for (uint64_t w = w0 + 1; w < w1; ++w)
    if (Bits[w]) return true;
  return (Bits[w1] & hi) != 0;
}

// The first place at or after From and before Limit whose bit is set in the words that Bits
// gives, or Limit when there is none.
template <class F>
size_t NextMarked(F&& Bits, size_t From, size_t Limit) {
  for (size_t w = From >> 6; (w << 6) < Limit; ++w) {
    uint64_t bits = Bits(w);
    if (w == From >> 6) bits &= ~uint64_t(0) << (From & 63);
    if (bits) return std::min(Limit, (w << 6) + static_cast<size_t>(std::countr_zero(bits)));
  }
  return Limit;
}

// Appends Text with every replaced place put in: Taken marks the replaced characters, First the
// first character of each replaced occurrence, which Replacement replaces.
void AppendRewritten(std::u16string& Out, std::u16string_view Text,
                     const std::vector<uint64_t>& Taken, const std::vector<uint64_t>& First,
                     std::u16string_view Replacement) {
  const size_t n = Text.size();
  size_t at = 0;
  for (;;) {
    const size_t cut = NextMarked([&](size_t w) { return Taken[w]; }, at, n);
    Out.append(Text.substr(at, cut - at));
    if (cut == n) return;
    // Each first character begins a replacement; touching occurrences follow one another.
    at = cut;
    do {
      Out.append(Replacement);
      at = NextMarked([&](size_t w) { return First[w] | ~Taken[w]; }, at + 1, n);
    } while (at < n && (First[at >> 6] >> (at & 63) & 1));
  }
}

void SetBits(std::vector<uint64_t>& Bits, uint64_t From, uint64_t To) {
  if (From >= To) return;
  const uint64_t w0 = From >> 6, w1 = (To - 1) >> 6;
  const uint64_t lo = ~uint64_t(0) << (From & 63), hi = ~uint64_t(0) >> (63 - ((To - 1) & 63));
  if (w0 == w1) {
    Bits[w0] |= lo & hi;
    return;
  }
  Bits[w0] |= lo;
  for (uint64_t w = w0 + 1; w < w1; ++w)
    Bits[w] = ~uint64_t(0);
  Bits[w1] |= hi;
}

} // namespace

struct TRewriteRun::TImpl {
  struct TNode {
    uint64_t Id = 0, Len = 0, Sum = 0;
    uint32_t Prio = 0;
    int32_t L = -1, R = -1, P = -1;
  };

  std::u16string Store; // original text, then every replacement written
  std::vector<TNode> N;
  std::vector<int32_t> FreeNodes;
  int32_t Root = -1;
  std::map<uint64_t, int32_t> ById;
  uint32_t Seed = 0x9E3779B9u;

  std::vector<std::u16string> Entries;
  std::u16string StartMarker, EndMarker;     // where to look for occurrences first
  std::vector<uint32_t> EntryPattern;        // kNone for an empty entry
  TTextSet Distinct;                         // the distinct entries: the patterns
  std::vector<uint32_t> Remaining;           // entries still to come per pattern
  TOccurrences Original;                     // occurrences in the text the run started from
  std::vector<bool> OriginalUsed;            // an entry has taken the pattern's occurrences
  std::vector<std::vector<uint64_t>> Formed; // occurrences formed by replacements
  std::unique_ptr<TPatternSet> Automaton;    // every pattern, once replacements can form them
  TCharSet Chars;                            // characters that occur in some entry
  std::u16string_view Pattern(uint32_t P) const { return Distinct[P]; }
  std::span<const size_t> TakeOriginal(uint32_t P) {
    if (OriginalUsed[P]) return {};
    OriginalUsed[P] = true;
    return Original.Of(P);
  }
  std::u16string Window; // scratch text of the windows around replacements
  size_t DoneCount = 0;
  bool Failed = false;

  // While no replacement can form an occurrence (it is not empty and none of its characters
  // occurs in any entry), the run only ever replaces occurrences of the original text: it then
  // sweeps, marking replaced characters of the original text and keeping the cuts, and the
  // piece table is built only when a replacement that can form occurrences comes.
  struct TCut {
    uint64_t Start, Len;
    uint64_t Before;      // the cut made before it in the same block, plus one; 0 for none
    uint32_t Replacement; // in SweepReplacements
  };
  static constexpr uint64_t kBlock = 256;
  bool Sweeping = true;
  std::vector<uint64_t> Taken;                   // replaced original characters
  std::vector<uint64_t> First;                   // the first of each replaced occurrence
  std::vector<TCut> Cuts;                        // in the order made
  std::vector<std::u16string> SweepReplacements; // each time the replacement changed
  std::vector<int64_t> BlockShift;               // Fenwick tree over kBlock blocks
  std::vector<uint64_t> BlockLast; // the last cut made in each block, plus one; 0 for none
                                   // (kept once there is more than one replacement)
  int64_t TotalShift = 0;
  uint64_t CutsEnd = 0; // no cut reaches past this original position

  // Present position of original position Pos, which no cut has taken.
  uint64_t SweepPosition(uint64_t Pos) const {
    // Past every cut (while the entries come in text order and no shared line has cut far
    // ahead), all of them moved it.
    if (Pos >= CutsEnd) return static_cast<uint64_t>(static_cast<int64_t>(Pos) + TotalShift);
    const size_t block = Pos / kBlock;
    int64_t shift = 0;
    for (size_t i = block; i > 0; i &= i - 1)
      shift += BlockShift[i - 1];
    return static_cast<uint64_t>(static_cast<int64_t>(Pos) + shift + ShiftInBlock(Pos));
  }
  // The length changes of the cuts that begin in Pos's block before Pos. With one replacement
  // for every cut they follow from the bitmaps, which the step reads anyway: each first
  // character adds the replacement's length and each replaced character takes one away, except
  // those at the block's start that belong to a cut begun before it. Otherwise the block's cuts
  // are walked.
  int64_t ShiftInBlock(uint64_t Pos) const {
    const uint64_t from = Pos / kBlock * kBlock;
    if (SweepReplacements.size() > 1) {
      int64_t shift = 0;
      for (uint64_t c = BlockLast[Pos / kBlock]; c != 0; c = Cuts[c - 1].Before) {
        const TCut& cut = Cuts[c - 1];
        if (cut.Start < Pos)
          shift += static_cast<int64_t>(SweepReplacements[cut.Replacement].size()) -
                   static_cast<int64_t>(cut.Len);
      }
      return shift;
    }
    uint64_t firsts = 0, taken = 0, carried = 0;
    bool carrying = true;
    for (uint64_t w = from >> 6; (w << 6) < Pos; ++w) {
      const uint64_t mask = (w << 6) + 64 <= Pos ? ~uint64_t(0) : (uint64_t(1) << (Pos & 63)) - 1;
      firsts += static_cast<uint64_t>(std::popcount(First[w] & mask));
      taken += static_cast<uint64_t>(std::popcount(Taken[w] & mask));
      if (!carrying) continue;
      const uint64_t stop = ~Taken[w] | First[w];
      carried += stop ? static_cast<uint64_t>(std::countr_zero(stop)) : 64;
      carrying = stop == 0;
    }
    carried = std::min(carried, Pos - from);
    const int64_t length =
        SweepReplacements.empty() ? 0 : static_cast<int64_t>(SweepReplacements.front().size());
    return length * static_cast<int64_t>(firsts) - static_cast<int64_t>(taken - carried);
  }
  // Chains the cuts of each block, once a second replacement makes the bitmaps not enough.
  void ChainCuts() {
    BlockLast.assign(BlockShift.size(), 0);
    for (uint64_t c = 1; c <= Cuts.size(); ++c) {
      const size_t block = Cuts[c - 1].Start / kBlock;
      Cuts[c - 1].Before = BlockLast[block];
      BlockLast[block] = c;
    }
  }
  // Notes the cut just appended to Cuts.
  void AddShift(uint64_t Start, int64_t Shift) {
    const size_t block = Start / kBlock;
    if (SweepReplacements.size() > 1) {
      Cuts.back().Before = BlockLast[block];
      BlockLast[block] = Cuts.size();
    }
    for (size_t i = block + 1; i <= BlockShift.size(); i += i & (~i + 1))
      BlockShift[i - 1] += Shift;
    TotalShift += Shift;
  }
  std::u16string SweepText() const {
    if (SweepReplacements.size() <= 1) { // one replacement for all: read off the bitmaps
      std::u16string out;
      out.reserve(static_cast<size_t>(static_cast<int64_t>(Store.size()) + TotalShift));
      AppendRewritten(out, Store, Taken, First,
                      SweepReplacements.empty() ? std::u16string_view() : SweepReplacements[0]);
      return out;
    }
    std::vector<TCut> cuts = Cuts;
    std::sort(cuts.begin(), cuts.end(),
              [](const TCut& a, const TCut& b) { return a.Start < b.Start; });
    std::u16string out;
    out.reserve(static_cast<size_t>(static_cast<int64_t>(Store.size()) + TotalShift));
    uint64_t at = 0;
    for (const TCut& c : cuts) {
      out.append(Store, at, c.Start - at);
      out.append(SweepReplacements[c.Replacement]);
      at = c.Start + c.Len;
    }
    out.append(Store, at);
    return out;
  }
  bool CanSweep(std::u16string_view Replacement) const {
    return !Replacement.empty() && !Chars.HasAnyOf(Replacement);
  }
  size_t SweepStep(uint32_t P, std::u16string_view Replacement, std::vector<TTextEdit>* Edits) {
    const uint64_t m = Pattern(P).size();
    const int64_t shift = static_cast<int64_t>(Replacement.size()) - static_cast<int64_t>(m);
    size_t count = 0;
    // Every occurrence is replaced or lost a character: a later equal entry finds nothing.
    const std::span<const size_t> starts = TakeOriginal(P);
    for (size_t k = 0; k < starts.size(); ++k) {
      const uint64_t s = starts[k];
      // The occurrences of a line that many items share lie all over the text: the bits of one
      // a few ahead are asked for while this one is done.
      if (k + 8 < starts.size()) {
        __builtin_prefetch(Taken.data() + (starts[k + 8] >> 6), 1);
        __builtin_prefetch(First.data() + (starts[k + 8] >> 6), 1);
      }
      if (AnyBitSet(Taken, s, s + m)) continue;
      if (count++ == 0 && (SweepReplacements.empty() || SweepReplacements.back() != Replacement)) {
        SweepReplacements.emplace_back(Replacement);
        if (SweepReplacements.size() == 2) ChainCuts();
      }
      if (Edits) Edits->push_back({SweepPosition(s), m, std::u16string(Replacement)});
      SetBits(Taken, s, s + m);
      First[s >> 6] |= uint64_t(1) << (s & 63);
      CutsEnd = std::max(CutsEnd, s + m);
      Cuts.push_back({s, m, 0, static_cast<uint32_t>(SweepReplacements.size() - 1)});
      AddShift(s, shift);
    }
    return count;
  }
  // Asks for the bits that a later sweeping step of pattern P will read first: equal items, and
  // lines that many items share, have occurrences all over the text.
  void PrefetchSweep(uint32_t P) const {
    if (P == kNone || OriginalUsed[P]) return;
    const std::span<const size_t> starts = Original.Of(P);
    for (size_t k = 0; k < starts.size() && k < 4; ++k) {
      __builtin_prefetch(Taken.data() + (starts[k] >> 6));
      __builtin_prefetch(First.data() + (starts[k] >> 6));
    }
  }
  // Builds the piece table over the present text; occurrences are found anew in it.
  void StopSweeping() {
    Store = SweepText();
    Sweeping = false;
    std::vector<uint64_t>().swap(Taken);
    std::vector<uint64_t>().swap(First);
    std::vector<TCut>().swap(Cuts);
    std::vector<std::u16string>().swap(SweepReplacements);
    std::vector<int64_t>().swap(BlockShift);
    std::vector<uint64_t>().swap(BlockLast);
    Root = Store.empty() ? -1 : NewNode(0, Store.size());
    const size_t count = Distinct.Size();
    std::vector<bool> wanted(count);
    for (uint32_t p = 0; p < count; ++p)
      wanted[p] = Remaining[p] > 0;
    Original = FindOccurrences<char16_t>(Store, Distinct, wanted, {StartMarker, EndMarker});
    OriginalUsed.assign(count, false);
    Formed.resize(count);
    if (count > 0) Automaton = std::make_unique<TPatternSet>(Distinct.Texts());
  }

  uint64_t Sum(int32_t t) const { return t < 0 ? 0 : N[t].Sum; }
  void Update(int32_t t) {
    TNode& n = N[t];
    n.Sum = n.Len + Sum(n.L) + Sum(n.R);
    if (n.L >= 0) N[n.L].P = t;
    if (n.R >= 0) N[n.R].P = t;
  }
  int32_t NewNode(uint64_t Id, uint64_t Len) {
    Seed ^= Seed << 13;
    Seed ^= Seed >> 17;
    Seed ^= Seed << 5;
    int32_t t;
    if (!FreeNodes.empty()) {
      t = FreeNodes.back();
      FreeNodes.pop_back();
    } else {
      t = static_cast<int32_t>(N.size());
      N.emplace_back();
    }
    N[t] = TNode{Id, Len, Len, Seed, -1, -1, -1};
    ById[Id] = t;
    return t;
  }
  int32_t Merge(int32_t a, int32_t b) {
    if (a < 0) return b;
    if (b < 0) return a;
    if (N[a].Prio > N[b].Prio) {
      const int32_t r = Merge(N[a].R, b);
      N[a].R = r;
      Update(a);
      return a;
    }
    const int32_t l = Merge(a, N[b].L);
    N[b].L = l;
    Update(b);
    return b;
  }
  // Splits t into the first K characters and the rest, cutting a piece when K falls inside it.
  void Split(int32_t t, uint64_t K, int32_t& A, int32_t& B) {
    if (t < 0) {
      A = B = -1;
      return;
    }
    const uint64_t ls = Sum(N[t].L);
    if (K <= ls) {
      int32_t l, r;
      Split(N[t].L, K, l, r);
      N[t].L = r;
      Update(t);
      A = l;
      B = t;
    } else if (K >= ls + N[t].Len) {
      int32_t l, r;
      Split(N[t].R, K - ls - N[t].Len, l, r);
      N[t].R = l;
      Update(t);
      A = t;
      B = r;
    } else {
      const uint64_t off = K - ls;
      const int32_t w = NewNode(N[t].Id + off, N[t].Len - off);
      N[t].Len = off;
      const int32_t r = N[t].R;
      N[t].R = -1;
      Update(t);
      A = t;
      B = Merge(w, r);
    }
    if (A >= 0) N[A].P = -1;
    if (B >= 0) N[B].P = -1;
  }
  void Forget(int32_t t) { // removes a detached subtree's pieces from the id map
    if (t < 0) return;
    ById.erase(N[t].Id);
    Forget(N[t].L);
    Forget(N[t].R);
  }
  void Remember(int32_t t) {
    if (t < 0) return;
    ById[N[t].Id] = t;
    Remember(N[t].L);
    Remember(N[t].R);
  }
  void Release(int32_t t) {
    if (t < 0) return;
    Release(N[t].L);
    Release(N[t].R);
    FreeNodes.push_back(t);
  }
  // Replaces Removed characters at Pos by the store's characters Id .. Id + Len - 1 and
  // returns the detached pieces that held the removed characters.
  int32_t Replace(uint64_t Pos, uint64_t Removed, uint64_t Id, uint64_t Len) {
    int32_t a, bc, mid, c;
    Split(Root, Pos, a, bc);
    Split(bc, Removed, mid, c);
    Forget(mid);
    const int32_t w = Len ? NewNode(Id, Len) : -1;
    Root = Merge(Merge(a, w), c);
    if (Root >= 0) N[Root].P = -1;
    return mid;
  }
  void Undo(uint64_t Pos, uint64_t InsertedLen, int32_t Mid) {
    int32_t a, bc, w, c;
    Split(Root, Pos, a, bc);
    Split(bc, InsertedLen, w, c);
    Forget(w);
    Release(w);
    Remember(Mid);
    Root = Merge(Merge(a, Mid), c);
    if (Root >= 0) N[Root].P = -1;
  }
  uint64_t NodePosition(int32_t t) const {
    uint64_t pos = Sum(N[t].L);
    for (int32_t p = N[t].P; p >= 0; t = p, p = N[p].P)
      if (N[p].R == t) pos += Sum(N[p].L) + N[p].Len;
    return pos;
  }
  // The piece holding Id, or -1 when that character has been removed.
  int32_t PieceOf(uint64_t Id) const {
    auto it = ById.upper_bound(Id);
    if (it == ById.begin()) return -1;
    --it;
    const int32_t t = it->second;
    return Id < N[t].Id + N[t].Len ? t : -1;
  }
  uint64_t IdAt(uint64_t Pos) const {
    int32_t t = Root;
    for (;;) {
      const uint64_t ls = Sum(N[t].L);
      if (Pos < ls) {
        t = N[t].L;
      } else if (Pos < ls + N[t].Len) {
        return N[t].Id + (Pos - ls);
      } else {
        Pos -= ls + N[t].Len;
        t = N[t].R;
      }
    }
  }
  void Collect(int32_t t, uint64_t From, uint64_t To, uint64_t Base, std::u16string& Out) const {
    if (t < 0 || From >= To) return;
    const uint64_t start = Base + Sum(N[t].L), end = start + N[t].Len;
    if (From < start) Collect(N[t].L, From, To, Base, Out);
    const uint64_t a = std::max(From, start), b = std::min(To, end);
    if (a < b) Out.append(Store, N[t].Id + (a - start), b - a);
    if (To > end) Collect(N[t].R, From, To, end, Out);
  }
  std::u16string Extract(uint64_t From, uint64_t To) const {
    std::u16string out;
    out.reserve(To - From);
    Collect(Root, From, To, 0, out);
    return out;
  }
  const std::u16string& ExtractWindow(uint64_t From, uint64_t To) {
    Window.clear();
    Collect(Root, From, To, 0, Window);
    return Window;
  }
  // Position of the occurrence of Pattern that begins with character Id, or npos when it is
  // no longer there.
  uint64_t OccurrenceAt(uint64_t Id, std::u16string_view Pattern) const {
    const int32_t t = PieceOf(Id);
    if (t < 0) return UINT64_MAX;
    const uint64_t pos = NodePosition(t) + (Id - N[t].Id);
    if (Id + Pattern.size() <= N[t].Id + N[t].Len) return pos;
    if (pos + Pattern.size() > Sum(Root)) return UINT64_MAX;
    return Extract(pos, pos + Pattern.size()) == Pattern ? pos : UINT64_MAX;
  }

  // Scans the window around a replacement of InsertedLen characters at Pos for occurrences of
  // entries still to come that overlap it, and keeps them.
  void NoteFormed(uint64_t Pos, uint64_t InsertedLen, uint32_t Current, bool KeepCurrent) {
    const uint64_t reach = Automaton->MaxLength() - 1;
    const uint64_t from = Pos > reach ? Pos - reach : 0;
    const uint64_t to = std::min(Sum(Root), Pos + InsertedLen + reach);
    if (from >= to) return;
    const std::u16string& window = ExtractWindow(from, to);
    // An occurrence overlaps the inserted text when it ends after Pos and begins before its
    // end; when nothing was inserted it must hold characters on both sides of Pos.
    const uint64_t startLimit = InsertedLen ? Pos + InsertedLen : Pos;
    Automaton->Scan(window, [&](uint32_t p, size_t end) {
      const uint64_t endPos = from + end;
      if (endPos <= Pos) return false;
      const uint64_t start = endPos - Pattern(p).size();
      if (start >= startLimit) return false; // shorter patterns begin later still
      if (Remaining[p] > 0 && (p != Current || KeepCurrent)) Formed[p].push_back(IdAt(start));
      return true;
    });
  }

  size_t Step(std::u16string_view Replacement, std::vector<TTextEdit>* Edits);
};

size_t TRewriteRun::TImpl::Step(std::u16string_view Replacement, std::vector<TTextEdit>* Edits) {
  if (Failed) throw std::logic_error("the rewrite run stopped after an error");
  if (DoneCount == Entries.size()) throw std::logic_error("every entry has been applied");
  const uint32_t p = EntryPattern[DoneCount];
  if (p == kNone) {
    ++DoneCount;
    return 0;
  }
  if (Sweeping && CanSweep(Replacement)) {
    --Remaining[p];
    ++DoneCount;
    if (DoneCount + 8 < EntryPattern.size()) PrefetchSweep(EntryPattern[DoneCount + 8]);
    return SweepStep(p, Replacement, Edits);
  }
  if (Sweeping) StopSweeping();
  const std::u16string_view item = Pattern(p);
  const uint64_t m = item.size();
  const std::vector<size_t> pi = PrefixFunction(item);
  // Start positions of every occurrence of the item in S.
  auto findAll = [&](std::u16string_view S, auto&& Found) {
    for (size_t i = 0, k = 0; i < S.size(); ++i) {
      while (k > 0 && S[i] != item[k])
        k = pi[k - 1];
      if (S[i] == item[k]) ++k;
      if (k == m) {
        Found(i + 1 - m);
        k = pi[k - 1];
      }
    }
  };
  bool containsItem = false;
  findAll(Replacement, [&](size_t) { containsItem = true; });
  // An occurrence formed by inserting the replacement holds one of its characters; when none of
  // them occurs in any entry (or in this one), the windows need no scan. A deletion can join
  // any two characters, so it always needs one.
  bool mayFormAny = Replacement.empty(), mayFormOwn = Replacement.empty();
  for (const char16_t c : Replacement) {
    mayFormAny = mayFormAny || Chars.Has(c);
    mayFormOwn = mayFormOwn || item.find(c) != std::u16string_view::npos;
  }
  const bool singlePass = containsItem;

  --Remaining[p];
  const bool originalUsed = OriginalUsed[p];
  const std::span<const size_t> original = TakeOriginal(p);
  std::vector<uint64_t> formed = std::move(Formed[p]);
  Formed[p].clear();
  // Formed occurrences were noted in no particular order; the text order of characters never
  // changes, so sorting them once by their present position orders them for good.
  {
    std::vector<std::pair<uint64_t, uint64_t>> byPos;
    for (const uint64_t id : formed) {
      const uint64_t pos = OccurrenceAt(id, item);
      if (pos != UINT64_MAX) byPos.emplace_back(pos, id);
    }
    std::sort(byPos.begin(), byPos.end());
    byPos.erase(std::unique(byPos.begin(), byPos.end()), byPos.end());
    formed.clear();
    for (const auto& [pos, id] : byPos)
      formed.push_back(id);
  }

  struct TUndo {
    uint64_t Pos, InsertedLen;
    int32_t Mid;
  };
  std::vector<TUndo> undo;
  const size_t editsBefore = Edits ? Edits->size() : 0;
  const uint64_t limit = Sum(Root);
  size_t io = 0, iF = 0;
  auto firstFrom = [&](const auto& List, size_t& I, uint64_t From) {
    for (; I < List.size(); ++I) {
      const uint64_t pos = OccurrenceAt(List[I], item);
      if (pos != UINT64_MAX && pos >= From) return pos;
    }
    return UINT64_MAX;
  };
  // Occurrences formed by this entry's own replacements. Each replacement is made at the
  // leftmost occurrence, so every occurrence still there lies after it and moves by the same
  // amount: keyed by position minus the total shift so far, they keep their order.
  using TKeyed = std::pair<int64_t, uint64_t>;
  std::priority_queue<TKeyed, std::vector<TKeyed>, std::greater<TKeyed>> own;
  int64_t shift = 0;
  auto firstOwn = [&](uint64_t From) {
    while (!own.empty()) {
      const uint64_t pos = OccurrenceAt(own.top().second, item);
      if (pos != UINT64_MAX && pos >= From) return pos;
      own.pop();
    }
    return UINT64_MAX;
  };
  // The leftmost occurrence that begins at From or later.
  auto next = [&](uint64_t From) {
    return std::min({firstFrom(original, io, From), firstFrom(formed, iF, From), firstOwn(From)});
  };

  size_t count = 0;
  uint64_t from = 0;
  try {
    for (;;) {
      const uint64_t a = next(from);
      if (a == UINT64_MAX) break;
      if (++count > limit) throw ERewriteLimit();
      const uint64_t id = Store.size();
      Store.append(Replacement);
      const int32_t mid = Replace(a, m, id, Replacement.size());
      undo.push_back({a, Replacement.size(), mid});
      if (Edits) Edits->push_back({a, m, std::u16string(Replacement)});
      shift += static_cast<int64_t>(Replacement.size()) - static_cast<int64_t>(m);
      if (mayFormAny) NoteFormed(a, Replacement.size(), p, singlePass);
      if (singlePass || !mayFormOwn) {
        from = a + Replacement.size();
        continue;
      }
      // Nothing to the left changed, so the next occurrence begins at a - (m - 1) at the
      // earliest; those overlapping the replacement are found in the window around it.
      from = a > m - 1 ? a - (m - 1) : 0;
      const uint64_t to = std::min(Sum(Root), a + Replacement.size() + m - 1);
      if (from < to) {
        findAll(ExtractWindow(from, to), [&](size_t at) {
          own.push({static_cast<int64_t>(from + at) - shift, IdAt(from + at)});
        });
      }
    }
  } catch (...) {
    for (auto it = undo.rbegin(); it != undo.rend(); ++it)
      Undo(it->Pos, it->InsertedLen, it->Mid);
    if (Edits) Edits->resize(editsBefore);
    ++Remaining[p];
    OriginalUsed[p] = originalUsed;
    Formed[p].insert(Formed[p].end(), formed.begin(), formed.end());
    Failed = true;
    throw;
  }
  for (const TUndo& u : undo)
    Release(u.Mid);
  ++DoneCount;
  return count;
}

TRewriteRun::TRewriteRun(std::u16string Text, std::vector<std::u16string> Entries,
                         std::u16string_view StartMarker, std::u16string_view EndMarker)
    : FImpl(std::make_unique<TImpl>()) {
  TImpl& d = *FImpl;
  d.Store = std::move(Text);
  d.Entries = std::move(Entries);
  d.StartMarker = StartMarker;
  d.EndMarker = EndMarker;
  d.Taken.assign(d.Store.size() / 64 + 1, 0);
  d.First.assign(d.Store.size() / 64 + 1, 0);
  d.BlockShift.assign(d.Store.size() / TImpl::kBlock + 1, 0);
  d.Distinct = TTextSet(d.Entries.size());
  d.EntryPattern.reserve(d.Entries.size());
  // Hashed first, so that the set's slots can be asked for a little ahead of their use.
  std::vector<uint64_t> hashes(d.Entries.size());
  for (size_t i = 0; i < d.Entries.size(); ++i)
    hashes[i] = HashText(d.Entries[i]);
  constexpr size_t ahead = 16;
  for (size_t i = 0; i < d.Entries.size(); ++i) {
    if (i + ahead < hashes.size()) d.Distinct.Prefetch(hashes[i + ahead]);
    const std::u16string& e = d.Entries[i];
    if (e.empty()) {
      d.EntryPattern.push_back(kNone);
      continue;
    }
    const uint32_t p = d.Distinct.Add(e, hashes[i]);
    if (p == d.Remaining.size()) {
      d.Remaining.push_back(0);
      d.Chars.Add(std::u16string_view(e));
    }
    ++d.Remaining[p];
    d.EntryPattern.push_back(p);
  }
  d.Original = FindOccurrences<char16_t>(d.Store, d.Distinct, {}, {d.StartMarker, d.EndMarker});
  d.OriginalUsed.assign(d.Distinct.Size(), false);
  d.Cuts.reserve(d.Original.Starts.size()); // while sweeping, each cut is an original occurrence
}

TRewriteRun::~TRewriteRun() = default;

size_t TRewriteRun::Count() const {
  return FImpl->Entries.size();
}
size_t TRewriteRun::Done() const {
  return FImpl->DoneCount;
}
size_t TRewriteRun::Length() const {
  const TImpl& d = *FImpl;
  if (d.Sweeping) return static_cast<size_t>(static_cast<int64_t>(d.Store.size()) + d.TotalShift);
  return d.Sum(d.Root);
}
std::u16string TRewriteRun::Text() const {
  if (FImpl->Sweeping) return FImpl->SweepText();
  return FImpl->Extract(0, Length());
}

size_t TRewriteRun::Step(std::u16string_view Replacement, std::vector<TTextEdit>* Edits) {
  return FImpl->Step(Replacement, Edits);
}

namespace {

// The entries as numbers of distinct texts (kNone for an empty entry), with the characters
// that occur in them.
template <class C>
struct TEntryPlan {
  using TView = std::basic_string_view<C>;
  TBasicTextSet<C> Distinct;
  std::vector<uint32_t> Entry;
  TCharSet Chars;
  std::basic_string<C> Fused; // the start and end markers together, which entries may view

  explicit TEntryPlan(size_t Entries) : Distinct(Entries) { Entry.reserve(Entries); }
  TEntryPlan(const TEntryPlan&) = delete; // the set views texts that the plan may hold
  TEntryPlan& operator=(const TEntryPlan&) = delete;
  uint32_t Add(TView Text) { return Add(Text, HashText(Text)); }
  uint32_t Add(TView Text, uint64_t Hash) {
    if (Text.empty()) {
      Entry.push_back(kNone);
      return kNone;
    }
    const size_t before = Distinct.Size();
    const uint32_t p = Distinct.Add(Text, Hash);
    if (Distinct.Size() != before) Chars.Add(Text);
    Entry.push_back(p);
    return p;
  }
  // True when inserting Replacement can never form an occurrence of an entry: an occurrence
  // overlapping inserted text holds one of its characters, and a deletion can join any two.
  bool CannotForm(TView Replacement) const {
    return !Replacement.empty() && !Chars.HasAnyOf(Replacement);
  }
};

// A replaced occurrence of the original text.
struct TReplaced {
  size_t Start, Length;
};

// The run when no replacement can form an occurrence: every occurrence that an entry replaces
// was already in the text, so entry by entry, leftmost first, an occurrence is replaced unless
// it overlaps one replaced before (whose characters are gone). An occurrence that overlaps no
// other is replaced whatever the order, so the order of the entries only decides within a group
// of overlapping ones: there the occurrences are taken by the number of their pattern (the
// plan numbers a pattern when its first entry comes), leftmost first. Occurrences come as
// (pattern, start) in the order of their starts; the replaced ones leave in text order too.
template <class C>
std::vector<TReplaced> ChooseReplaced(const TBasicTextSet<C>& Patterns,
                                      const std::vector<std::pair<uint32_t, size_t>>& Found) {
  std::vector<TReplaced> replaced;
  replaced.reserve(Found.size());
  std::vector<std::pair<uint32_t, size_t>> group;
  std::vector<uint64_t> taken; // the replaced characters of a group
  auto length = [&](uint32_t P) { return Patterns[P].size(); };
  for (size_t i = 0; i < Found.size();) {
    const size_t from = Found[i].second;
    size_t end = from + length(Found[i].first), j = i + 1;
    for (; j < Found.size() && Found[j].second < end; ++j)
      end = std::max(end, Found[j].second + length(Found[j].first));
    if (j == i + 1) {
      replaced.push_back({from, length(Found[i].first)});
      i = j;
      continue;
    }
    group.assign(Found.begin() + static_cast<std::ptrdiff_t>(i),
                 Found.begin() + static_cast<std::ptrdiff_t>(j));
    std::sort(group.begin(), group.end());
    taken.assign((end - from) / 64 + 1, 0);
    const size_t before = replaced.size();
    for (const auto& [p, start] : group) {
      const size_t at = start - from, m = length(p);
      if (AnyBitSet(taken, at, at + m)) continue;
      SetBits(taken, at, at + m);
      replaced.push_back({start, m});
    }
    std::sort(replaced.begin() + static_cast<std::ptrdiff_t>(before), replaced.end(),
              [](const TReplaced& A, const TReplaced& B) { return A.Start < B.Start; });
    i = j;
  }
  return replaced;
}

// Gives Text with the replaced places put in, piece by piece, to Write; stops when Write
// returns false.
template <class C, class W>
void WriteReplaced(std::basic_string_view<C> Text, const std::vector<TReplaced>& Replaced,
                   std::basic_string_view<C> Replacement, W&& Write) {
  size_t at = 0;
  for (const TReplaced& r : Replaced) {
    if (!Write(Text.substr(at, r.Start - at)) || !Write(Replacement)) return;
    at = r.Start + r.Length;
  }
  Write(Text.substr(at));
}

template <class C>
std::basic_string<C> Replaced(std::basic_string_view<C> Text, const std::vector<TReplaced>& Cuts,
                              std::basic_string_view<C> Replacement) {
  std::basic_string<C> out;
  size_t removed = 0;
  for (const TReplaced& c : Cuts)
    removed += c.Length;
  out.reserve(Text.size() - removed + Cuts.size() * Replacement.size());
  WriteReplaced(Text, Cuts, Replacement, [&](std::basic_string_view<C> Piece) {
    out.append(Piece);
    return true;
  });
  return out;
}

std::u16string RunSteps(std::u16string Text, const TEntryPlan<char16_t>& Plan,
                        std::u16string_view Replacement, std::u16string_view StartMarker = {},
                        std::u16string_view EndMarker = {}) {
  std::vector<std::u16string> entries;
  entries.reserve(Plan.Entry.size());
  for (const uint32_t p : Plan.Entry)
    entries.emplace_back(p == kNone ? std::u16string_view() : Plan.Distinct[p]);
  TRewriteRun run(std::move(Text), std::move(entries), StartMarker, EndMarker);
  while (!run.Finished())
    run.Step(Replacement);
  return run.Text();
}

// The entries of the items that the marker search finds in Text, into Plan; the occurrences of
// the entries that are whole items come with them, into Hints.
template <class C>
void PlanMarkedItems(std::basic_string_view<C> Text, std::basic_string_view<C> StartMarker,
                     std::basic_string_view<C> EndMarker, TEntryPlan<C>& Plan,
                     TBasicOccurrenceHints<C>& Hints) {
  using TView = std::basic_string_view<C>;
  constexpr size_t npos = TView::npos;
  Plan.Fused = std::basic_string<C>(StartMarker) + std::basic_string<C>(EndMarker);
  const TView fused(Plan.Fused);
  Hints.StartMarker = StartMarker;
  Hints.EndMarker = EndMarker;
  // The lines of a few items at a time are hashed first and their slots of the set asked for,
  // so that the set's cache misses overlap.
  struct TLine {
    TView Text;
    uint64_t Hash;
    size_t WholeItemAt; // npos unless the line is a whole item found there
  };
  std::vector<TLine> batch;
  auto flush = [&] {
    // Equal texts are compared: the earlier one is asked for ahead too.
    Plan.Distinct.PrefetchCompared(batch, [](const TLine& Line) { return Line.Hash; });
    for (const TLine& line : batch) {
      const uint32_t p = Plan.Add(line.Text, line.Hash);
      if (line.WholeItemAt != npos) Hints.Found.emplace_back(p, line.WholeItemAt);
    }
    batch.clear();
  };
  // An item found at Start with its end at or after the start marker's end occurs exactly where
  // an equal item was found: any occurrence begins with the start marker, and the first end
  // marker after it lies where the item's own does, since an earlier one would lie inside the
  // item and be found there too.
  ForEachItemLine(Text, StartMarker, EndMarker, fused, [&](TView line, size_t wholeItemAt) {
    const uint64_t hash = HashText(line);
    Plan.Distinct.Prefetch(hash);
    batch.push_back({line, hash, wholeItemAt});
    if (batch.size() >= 32) flush();
  });
  flush();
  Hints.Complete.assign(Plan.Distinct.Size(), false);
  for (const auto& [p, start] : Hints.Found)
    Hints.Complete[p] = true;
}

} // namespace

std::u16string RewriteAll(std::u16string Text, std::vector<std::u16string> Entries,
                          std::u16string_view Replacement) {
  TEntryPlan<char16_t> plan(Entries.size());
  for (const auto& e : Entries)
    plan.Add(e);
  if (!plan.CannotForm(Replacement)) return RunSteps(std::move(Text), plan, Replacement);
  const std::u16string_view text(Text);
  return Replaced(text, ChooseReplaced(plan.Distinct, FindOccurrencesInOrder(text, plan.Distinct)),
                  Replacement);
}

std::u16string RewriteMarkedItems(std::u16string_view Text, std::u16string_view StartMarker,
                                  std::u16string_view EndMarker, std::u16string_view Replacement,
                                  size_t* EntryCount) {
  TEntryPlan<char16_t> plan(std::max<size_t>(1024, Text.size() / 64));
  TOccurrenceHints hints;
  PlanMarkedItems(Text, StartMarker, EndMarker, plan, hints);
  if (EntryCount) *EntryCount = plan.Entry.size();
  if (!plan.CannotForm(Replacement))
    return RunSteps(std::u16string(Text), plan, Replacement, StartMarker, EndMarker);
  return Replaced(
      Text,
      ChooseReplaced(plan.Distinct, FindOccurrencesInOrder(Text, plan.Distinct, std::move(hints))),
      Replacement);
}

struct TMarkedBytesRewrite::TImpl {
  std::string_view Text, Replacement;
  size_t EntryCount = 0;
  std::vector<TReplaced> Replaced;
};

TMarkedBytesRewrite::TMarkedBytesRewrite() : FImpl(std::make_unique<TImpl>()) {}
TMarkedBytesRewrite::~TMarkedBytesRewrite() = default;

bool TMarkedBytesRewrite::Prepare(std::string_view Text, std::string_view StartMarker,
                                  std::string_view EndMarker, std::string_view Replacement) {
  TImpl& d = *FImpl;
  d = TImpl();
  TEntryPlan<char> plan(std::max<size_t>(1024, Text.size() / 64));
  TBasicOccurrenceHints<char> hints;
  PlanMarkedItems(Text, StartMarker, EndMarker, plan, hints);
  if (!plan.CannotForm(Replacement)) return false;
  d.Text = Text;
  d.Replacement = Replacement;
  d.EntryCount = plan.Entry.size();
  d.Replaced =
      ChooseReplaced(plan.Distinct, FindOccurrencesInOrder(Text, plan.Distinct, std::move(hints)));
  return true;
}

size_t TMarkedBytesRewrite::EntryCount() const {
  return FImpl->EntryCount;
}

void TMarkedBytesRewrite::Write(const std::function<bool(std::string_view)>& Piece) const {
  WriteReplaced(FImpl->Text, FImpl->Replaced, FImpl->Replacement, Piece);
}

std::string TMarkedBytesRewrite::Text() const {
  return Replaced(FImpl->Text, FImpl->Replaced, FImpl->Replacement);
}

bool RewriteMarkedBytes(std::string_view Text, std::string_view StartMarker,
                        std::string_view EndMarker, std::string_view Replacement,
                        std::string& Result, size_t* EntryCount) {
  TMarkedBytesRewrite run;
  if (!run.Prepare(Text, StartMarker, EndMarker, Replacement)) return false;
  if (EntryCount) *EntryCount = run.EntryCount();
  Result = run.Text();
  return true;
}

} // namespace textovrt
