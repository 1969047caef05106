// The rewrite run: entries applied one after the other, with edits reported per entry. The run
// has two ways of applying an entry, each a class of its own behind one interface.
//
// The sweep (TSweepRun) serves most runs, which never form an occurrence: when a replacement is
// not empty and none of its characters occurs in any entry, an entry can only replace
// occurrences of the original text that no earlier replacement touched. Such steps only mark
// the replaced characters of the original text and keep a Fenwick tree of the length changes
// for the positions of the edits.
//
// The piece table (TPieceTableRun) takes over for good, from the text of that moment, when the
// first other replacement comes. Every character has a fixed id: its index in the text, or for
// the characters of a replacement written a number counted on from there (a step's replacement
// text is held once for all the places it writes it). Pieces (runs of consecutive ids)
// sit in a treap ordered by text position, with subtree lengths for position lookups and parent
// links for the way back from a piece to its position. A map from first id to piece finds the
// piece holding an id, or tells that the character is gone.
//
// Occurrences of the distinct entries are found once in the text each starts from (where the
// item markers allow, only at the markers; see FindOccurrences). The piece table keeps them per
// entry as the id of their first character. A replacement can only form a new occurrence
// overlapping what it wrote, so after each replacement the window around it is scanned again by
// an Aho-Corasick automaton of every entry, and new occurrences of entries still to come are
// added. An occurrence is still there when its characters are: one piece holding all of its ids
// proves it, otherwise the text at its position is compared.
#include "app/un_rewrite.h"

#include "app/un_mainText.h"
#include "app/un_occurrences.h"
#include "app/un_occurrencesPrefetch.h"
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

bool HasLineBreak(std::u16string_view Text) {
  return Text.find_first_of(u"\r\n") != std::u16string_view::npos;
}

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

// The entries of a run and the distinct texts among them (the patterns), shared by both ways
// of running it.
struct TRunEntries {
  std::vector<std::u16string> Texts;
  std::u16string StartMarker, EndMarker; // where to look for occurrences first
  std::vector<uint32_t> EntryPattern;    // kNone for an empty entry
  TTextSet Distinct;                     // the distinct entries: the patterns
  std::vector<uint32_t> Remaining;       // entries still to come per pattern
  TCharSet Chars;                        // characters that occur in some entry
  TRewriteLimits Limits;

  std::u16string_view Pattern(uint32_t P) const { return Distinct[P]; }
};

// The occurrences of the patterns in the text a way of running started from; an entry takes
// its pattern's occurrences once (a later equal entry finds them replaced or broken).
struct TStartOccurrences {
  TOccurrences Found;
  std::vector<bool> Taken;

  std::span<const size_t> Take(uint32_t Pattern) {
    if (Taken[Pattern]) return {};
    Taken[Pattern] = true;
    return Found.Of(Pattern);
  }
};

// Thrown by the piece table, which has then undone the step, when an entry's cascade of
// replacements grows past what is worth making one by one.
struct ELongCascade {};

// One way of applying the entries: Step applies one entry of pattern Pattern (already counted
// off Remaining by the caller), Length and Text tell the text as the entries so far left it.
class TRunStrategy {
public:
  virtual ~TRunStrategy() = default;
  virtual size_t Step(uint32_t Pattern, std::u16string_view Replacement,
                      std::vector<TTextEdit>* Edits) = 0;
  virtual size_t Length() const = 0;
  virtual std::u16string Text() const = 0;
};

// The run while no replacement can form an occurrence (it is not empty and none of its
// characters occurs in any entry): it only ever replaces occurrences of the original text. It
// sweeps, marking replaced characters of the original text and keeping the cuts, with a Fenwick
// tree of the length changes per block for the positions of the edits.
class TSweepRun final : public TRunStrategy {
public:
  TSweepRun(std::u16string Text, const TRunEntries& Entries)
      : FEntries(Entries), FText(std::move(Text)) {
    FTaken.assign(FText.size() / 64 + 1, 0);
    FFirst.assign(FText.size() / 64 + 1, 0);
    FBlockShift.assign(FText.size() / kBlock + 1, 0);
    FStart.Found = FindOccurrences<char16_t>(FText, Entries.Distinct, {},
                                             {Entries.StartMarker, Entries.EndMarker});
    FStart.Taken.assign(Entries.Distinct.Size(), false);
    FCuts.reserve(FStart.Found.Starts.size()); // each cut is an original occurrence
  }

  // True when Replacement cannot form an occurrence, so the sweep can apply it.
  bool CanTake(std::u16string_view Replacement) const {
    return !Replacement.empty() && !FEntries.Chars.HasAnyOf(Replacement);
  }
  size_t Step(uint32_t Pattern, std::u16string_view Replacement,
              std::vector<TTextEdit>* Edits) override;
  size_t Length() const override {
    return static_cast<size_t>(static_cast<int64_t>(FText.size()) + FTotalShift);
  }
  std::u16string Text() const override;
  // Asks for the bits that a later step of Pattern will read first: equal items, and lines
  // that many items share, have occurrences all over the text.
  void PrefetchFor(uint32_t Pattern) const {
    if (Pattern == kNone || FStart.Taken[Pattern]) return;
    const std::span<const size_t> starts = FStart.Found.Of(Pattern);
    for (size_t k = 0; k < starts.size() && k < 4; ++k) {
      __builtin_prefetch(FTaken.data() + (starts[k] >> 6));
      __builtin_prefetch(FFirst.data() + (starts[k] >> 6));
    }
  }

private:
  struct TCut {
    uint64_t Start, Length;
    uint64_t Before;      // the cut made before it in the same block, plus one; 0 for none
    uint32_t Replacement; // in FReplacements
  };
  static constexpr uint64_t kBlock = 256;

  // Present position of original position Pos, which no cut has taken.
  uint64_t PresentPosition(uint64_t Pos) const {
    // Past every cut (while the entries come in text order and no shared line has cut far
    // ahead), all of them moved it.
    if (Pos >= FCutsEnd) return static_cast<uint64_t>(static_cast<int64_t>(Pos) + FTotalShift);
    const size_t block = Pos / kBlock;
    int64_t shift = 0;
    for (size_t i = block; i > 0; i &= i - 1)
      shift += FBlockShift[i - 1];
    return static_cast<uint64_t>(static_cast<int64_t>(Pos) + shift + ShiftInBlock(Pos));
  }
  int64_t ShiftInBlock(uint64_t Pos) const;
  void ChainCuts();
  void AddShift(uint64_t Start, int64_t Shift);

  const TRunEntries& FEntries;
  std::u16string FText; // the original text
  TStartOccurrences FStart;
  std::vector<uint64_t> FTaken;              // replaced original characters
  std::vector<uint64_t> FFirst;              // the first of each replaced occurrence
  std::vector<TCut> FCuts;                   // in the order made
  std::vector<std::u16string> FReplacements; // each time the replacement changed
  std::vector<int64_t> FBlockShift;          // Fenwick tree over kBlock blocks
  std::vector<uint64_t> FBlockLast; // the last cut made in each block, plus one; 0 for none
                                    // (kept once there is more than one replacement)
  int64_t FTotalShift = 0;
  uint64_t FCutsEnd = 0; // no cut reaches past this original position
};

// The length changes of the cuts that begin in Pos's block before Pos. With one replacement
// for every cut they follow from the bitmaps, which the step reads anyway: each first
// character adds the replacement's length and each replaced character takes one away, except
// those at the block's start that belong to a cut begun before it. Otherwise the block's cuts
// are walked.
int64_t TSweepRun::ShiftInBlock(uint64_t Pos) const {
  const uint64_t from = Pos / kBlock * kBlock;
  if (FReplacements.size() > 1) {
    int64_t shift = 0;
    for (uint64_t c = FBlockLast[Pos / kBlock]; c != 0; c = FCuts[c - 1].Before) {
      const TCut& cut = FCuts[c - 1];
      if (cut.Start < Pos)
        shift += static_cast<int64_t>(FReplacements[cut.Replacement].size()) -
                 static_cast<int64_t>(cut.Length);
    }
    return shift;
  }
  uint64_t firsts = 0, taken = 0, carried = 0;
  bool carrying = true;
  for (uint64_t w = from >> 6; (w << 6) < Pos; ++w) {
    const uint64_t mask = (w << 6) + 64 <= Pos ? ~uint64_t(0) : (uint64_t(1) << (Pos & 63)) - 1;
    firsts += static_cast<uint64_t>(std::popcount(FFirst[w] & mask));
    taken += static_cast<uint64_t>(std::popcount(FTaken[w] & mask));
    if (!carrying) continue;
    const uint64_t stop = ~FTaken[w] | FFirst[w];
    carried += stop ? static_cast<uint64_t>(std::countr_zero(stop)) : 64;
    carrying = stop == 0;
  }
  carried = std::min(carried, Pos - from);
  const int64_t length =
      FReplacements.empty() ? 0 : static_cast<int64_t>(FReplacements.front().size());
  return length * static_cast<int64_t>(firsts) - static_cast<int64_t>(taken - carried);
}

// Chains the cuts of each block, once a second replacement makes the bitmaps not enough.
void TSweepRun::ChainCuts() {
  FBlockLast.assign(FBlockShift.size(), 0);
  for (uint64_t c = 1; c <= FCuts.size(); ++c) {
    const size_t block = FCuts[c - 1].Start / kBlock;
    FCuts[c - 1].Before = FBlockLast[block];
    FBlockLast[block] = c;
  }
}

// Notes the cut just appended to FCuts.
void TSweepRun::AddShift(uint64_t Start, int64_t Shift) {
  const size_t block = Start / kBlock;
  if (FReplacements.size() > 1) {
    FCuts.back().Before = FBlockLast[block];
    FBlockLast[block] = FCuts.size();
  }
  for (size_t i = block + 1; i <= FBlockShift.size(); i += i & (~i + 1))
    FBlockShift[i - 1] += Shift;
  FTotalShift += Shift;
}

std::u16string TSweepRun::Text() const {
  std::u16string out;
  out.reserve(Length());
  if (FReplacements.size() <= 1) { // one replacement for all: read off the bitmaps
    AppendRewritten(out, FText, FTaken, FFirst,
                    FReplacements.empty() ? std::u16string_view() : FReplacements[0]);
    return out;
  }
  std::vector<TCut> cuts = FCuts;
  std::sort(cuts.begin(), cuts.end(),
            [](const TCut& a, const TCut& b) { return a.Start < b.Start; });
  uint64_t at = 0;
  for (const TCut& c : cuts) {
    out.append(FText, at, c.Start - at);
    out.append(FReplacements[c.Replacement]);
    at = c.Start + c.Length;
  }
  out.append(FText, at);
  return out;
}

size_t TSweepRun::Step(uint32_t Pattern, std::u16string_view Replacement,
                       std::vector<TTextEdit>* Edits) {
  const uint64_t length = FEntries.Pattern(Pattern).size();
  // What each replacement removes is an occurrence of the entry.
  const bool breaks = HasLineBreak(FEntries.Pattern(Pattern));
  const int64_t shift = static_cast<int64_t>(Replacement.size()) - static_cast<int64_t>(length);
  size_t count = 0;
  // Every occurrence is replaced or lost a character: a later equal entry finds nothing.
  const std::span<const size_t> starts = FStart.Take(Pattern);
  if (shift > 0) {
    // The text grows: the length it would reach is checked before anything changes.
    uint64_t replaced = 0, end = 0;
    for (const size_t start : starts) {
      if (start < end || AnyBitSet(FTaken, start, start + length)) continue;
      ++replaced;
      end = start + length;
    }
    if (Length() + replaced * static_cast<uint64_t>(shift) > FEntries.Limits.MaxTextLength) {
      FStart.Taken[Pattern] = false;
      throw ERewriteLimit(FEntries.Pattern(Pattern), ERewriteLimit::rlTextTooLong, FEntries.Limits);
    }
  }
  for (size_t k = 0; k < starts.size(); ++k) {
    const uint64_t start = starts[k];
    // The occurrences of a line that many items share lie all over the text: the bits of one
    // a few ahead are asked for while this one is done.
    if (k + 8 < starts.size()) {
      __builtin_prefetch(FTaken.data() + (starts[k + 8] >> 6), 1);
      __builtin_prefetch(FFirst.data() + (starts[k + 8] >> 6), 1);
    }
    if (AnyBitSet(FTaken, start, start + length)) continue;
    if (count++ == 0 && (FReplacements.empty() || FReplacements.back() != Replacement)) {
      FReplacements.emplace_back(Replacement);
      if (FReplacements.size() == 2) ChainCuts();
    }
    if (Edits)
      Edits->push_back({PresentPosition(start), length, std::u16string(Replacement), breaks});
    SetBits(FTaken, start, start + length);
    FFirst[start >> 6] |= uint64_t(1) << (start & 63);
    FCutsEnd = std::max(FCutsEnd, start + length);
    FCuts.push_back({start, length, 0, static_cast<uint32_t>(FReplacements.size() - 1)});
    AddShift(start, shift);
  }
  return count;
}

// The run once a replacement can form occurrences: a piece table over the text of that moment,
// whose occurrences are found anew.
class TPieceTableRun final : public TRunStrategy {
public:
  TPieceTableRun(std::u16string Text, const TRunEntries& Entries);
  size_t Step(uint32_t Pattern, std::u16string_view Replacement,
              std::vector<TTextEdit>* Edits) override;
  size_t Length() const override { return SubtreeLength(FRoot); }
  std::u16string Text() const override { return Extract(0, Length()); }

private:
  // A piece: Length consecutive characters with the ids FirstId on, held at Data; a treap node.
  struct TPiece {
    uint64_t FirstId = 0, Length = 0, SubtreeLength = 0;
    const char16_t* Data = nullptr;
    uint32_t Priority = 0;
    int32_t Left = -1, Right = -1, Parent = -1;
  };

  uint64_t SubtreeLength(int32_t Node) const { return Node < 0 ? 0 : FPieces[Node].SubtreeLength; }
  void Recount(int32_t Node);
  int32_t NewPiece(uint64_t FirstId, uint64_t Length, const char16_t* Data);
  int32_t Merge(int32_t Head, int32_t Tail);
  void Split(int32_t Node, uint64_t Count, int32_t& Head, int32_t& Tail);
  void Forget(int32_t Node);
  void Remember(int32_t Node);
  void Release(int32_t Node);
  int32_t Replace(uint64_t Pos, uint64_t Removed, uint64_t FirstId, uint64_t Length,
                  const char16_t* Data);
  void Undo(uint64_t Pos, uint64_t InsertedLength, int32_t Removed);
  uint64_t PiecePosition(int32_t Node) const;
  int32_t PieceOf(uint64_t Id) const;
  uint64_t IdAt(uint64_t Pos) const;
  void Collect(int32_t Node, uint64_t From, uint64_t To, uint64_t Base, std::u16string& Out) const;
  std::u16string Extract(uint64_t From, uint64_t To) const {
    std::u16string out;
    out.reserve(To - From);
    Collect(FRoot, From, To, 0, out);
    return out;
  }
  const std::u16string& ExtractWindow(uint64_t From, uint64_t To) {
    FWindow.clear();
    Collect(FRoot, From, To, 0, FWindow);
    return FWindow;
  }
  uint64_t OccurrenceAt(uint64_t Id, std::u16string_view Pattern) const;
  void NoteFormed(uint64_t Pos, std::u16string_view Inserted, uint64_t FirstId, uint32_t Current,
                  bool KeepCurrent);
  void NoteFormedIn(uint64_t From, uint64_t To, uint64_t After, uint64_t Before, uint32_t Current,
                    bool KeepCurrent);

  const TRunEntries& FEntries;
  // The text of the start, and each replacement text written (once for all the places a step
  // writes it). Ids are numbered on from the text's, one per character written.
  std::u16string FText;
  std::vector<std::unique_ptr<std::u16string>> FWritten;
  uint64_t FNextId = 0;
  // Occurrences of the entries inside the present step's replacement: (pattern, offset).
  std::vector<std::pair<uint32_t, uint64_t>> FInner;
  uint64_t FInnerStep = UINT64_MAX, FSteps = 0;
  std::vector<TPiece> FPieces;
  std::vector<int32_t> FFreePieces;
  int32_t FRoot = -1;
  std::map<uint64_t, int32_t> FPieceByFirstId;
  uint32_t FSeed = 0x9E3779B9u;
  TStartOccurrences FStart;
  std::vector<std::vector<uint64_t>> FFormed; // occurrences formed by replacements, per pattern
  std::unique_ptr<TPatternSet> FAutomaton;    // every pattern
  std::u16string FWindow;                     // scratch text of the windows around replacements
};

TPieceTableRun::TPieceTableRun(std::u16string Text, const TRunEntries& Entries)
    : FEntries(Entries), FText(std::move(Text)), FNextId(FText.size()) {
  FRoot = FText.empty() ? -1 : NewPiece(0, FText.size(), FText.data());
  const size_t count = Entries.Distinct.Size();
  std::vector<bool> wanted(count);
  for (uint32_t p = 0; p < count; ++p)
    wanted[p] = Entries.Remaining[p] > 0;
  FStart.Found = FindOccurrences<char16_t>(FText, Entries.Distinct, wanted,
                                           {Entries.StartMarker, Entries.EndMarker});
  FStart.Taken.assign(count, false);
  FFormed.resize(count);
  if (count > 0) FAutomaton = std::make_unique<TPatternSet>(Entries.Distinct.Texts());
}

void TPieceTableRun::Recount(int32_t Node) {
  TPiece& n = FPieces[Node];
  n.SubtreeLength = n.Length + SubtreeLength(n.Left) + SubtreeLength(n.Right);
  if (n.Left >= 0) FPieces[n.Left].Parent = Node;
  if (n.Right >= 0) FPieces[n.Right].Parent = Node;
}

int32_t TPieceTableRun::NewPiece(uint64_t FirstId, uint64_t Length, const char16_t* Data) {
  FSeed ^= FSeed << 13;
  FSeed ^= FSeed >> 17;
  FSeed ^= FSeed << 5;
  int32_t node;
  if (!FFreePieces.empty()) {
    node = FFreePieces.back();
    FFreePieces.pop_back();
  } else {
    node = static_cast<int32_t>(FPieces.size());
    FPieces.emplace_back();
  }
  FPieces[node] = TPiece{FirstId, Length, Length, Data, FSeed, -1, -1, -1};
  FPieceByFirstId[FirstId] = node;
  return node;
}

int32_t TPieceTableRun::Merge(int32_t Head, int32_t Tail) {
  if (Head < 0) return Tail;
  if (Tail < 0) return Head;
  if (FPieces[Head].Priority > FPieces[Tail].Priority) {
    const int32_t right = Merge(FPieces[Head].Right, Tail);
    FPieces[Head].Right = right;
    Recount(Head);
    return Head;
  }
  const int32_t left = Merge(Head, FPieces[Tail].Left);
  FPieces[Tail].Left = left;
  Recount(Tail);
  return Tail;
}

// Splits Node into the first Count characters and the rest, cutting a piece when Count falls
// inside it.
void TPieceTableRun::Split(int32_t Node, uint64_t Count, int32_t& Head, int32_t& Tail) {
  if (Node < 0) {
    Head = Tail = -1;
    return;
  }
  TPiece& n = FPieces[Node];
  const uint64_t leftLength = SubtreeLength(n.Left);
  if (Count <= leftLength) {
    int32_t head, tail;
    Split(n.Left, Count, head, tail);
    FPieces[Node].Left = tail;
    Recount(Node);
    Head = head;
    Tail = Node;
  } else if (Count >= leftLength + n.Length) {
    int32_t head, tail;
    Split(n.Right, Count - leftLength - n.Length, head, tail);
    FPieces[Node].Right = head;
    Recount(Node);
    Head = Node;
    Tail = tail;
  } else {
    const uint64_t offset = Count - leftLength;
    const int32_t rest = NewPiece(n.FirstId + offset, n.Length - offset, n.Data + offset);
    TPiece& cut = FPieces[Node]; // NewPiece may have moved the pieces
    cut.Length = offset;
    const int32_t right = cut.Right;
    cut.Right = -1;
    Recount(Node);
    Head = Node;
    Tail = Merge(rest, right);
  }
  if (Head >= 0) FPieces[Head].Parent = -1;
  if (Tail >= 0) FPieces[Tail].Parent = -1;
}

// Removes a detached subtree's pieces from the map by first id.
void TPieceTableRun::Forget(int32_t Node) {
  if (Node < 0) return;
  FPieceByFirstId.erase(FPieces[Node].FirstId);
  Forget(FPieces[Node].Left);
  Forget(FPieces[Node].Right);
}

void TPieceTableRun::Remember(int32_t Node) {
  if (Node < 0) return;
  FPieceByFirstId[FPieces[Node].FirstId] = Node;
  Remember(FPieces[Node].Left);
  Remember(FPieces[Node].Right);
}

void TPieceTableRun::Release(int32_t Node) {
  if (Node < 0) return;
  Release(FPieces[Node].Left);
  Release(FPieces[Node].Right);
  FFreePieces.push_back(Node);
}

// Replaces Removed characters at Pos by the Length characters at Data, with the ids FirstId on,
// and returns the detached pieces that held the removed characters.
int32_t TPieceTableRun::Replace(uint64_t Pos, uint64_t Removed, uint64_t FirstId, uint64_t Length,
                                const char16_t* Data) {
  int32_t before, rest, removed, after;
  Split(FRoot, Pos, before, rest);
  Split(rest, Removed, removed, after);
  Forget(removed);
  const int32_t inserted = Length ? NewPiece(FirstId, Length, Data) : -1;
  FRoot = Merge(Merge(before, inserted), after);
  if (FRoot >= 0) FPieces[FRoot].Parent = -1;
  return removed;
}

void TPieceTableRun::Undo(uint64_t Pos, uint64_t InsertedLength, int32_t Removed) {
  int32_t before, rest, inserted, after;
  Split(FRoot, Pos, before, rest);
  Split(rest, InsertedLength, inserted, after);
  Forget(inserted);
  Release(inserted);
  Remember(Removed);
  FRoot = Merge(Merge(before, Removed), after);
  if (FRoot >= 0) FPieces[FRoot].Parent = -1;
}

uint64_t TPieceTableRun::PiecePosition(int32_t Node) const {
  uint64_t pos = SubtreeLength(FPieces[Node].Left);
  for (int32_t p = FPieces[Node].Parent; p >= 0; Node = p, p = FPieces[p].Parent)
    if (FPieces[p].Right == Node) pos += SubtreeLength(FPieces[p].Left) + FPieces[p].Length;
  return pos;
}

// The piece holding Id, or -1 when that character has been removed.
int32_t TPieceTableRun::PieceOf(uint64_t Id) const {
  auto it = FPieceByFirstId.upper_bound(Id);
  if (it == FPieceByFirstId.begin()) return -1;
  --it;
  const int32_t node = it->second;
  return Id < FPieces[node].FirstId + FPieces[node].Length ? node : -1;
}

uint64_t TPieceTableRun::IdAt(uint64_t Pos) const {
  int32_t node = FRoot;
  for (;;) {
    const TPiece& n = FPieces[node];
    const uint64_t leftLength = SubtreeLength(n.Left);
    if (Pos < leftLength) {
      node = n.Left;
    } else if (Pos < leftLength + n.Length) {
      return n.FirstId + (Pos - leftLength);
    } else {
      Pos -= leftLength + n.Length;
      node = n.Right;
    }
  }
}

void TPieceTableRun::Collect(int32_t Node, uint64_t From, uint64_t To, uint64_t Base,
                             std::u16string& Out) const {
  if (Node < 0 || From >= To) return;
  const TPiece& n = FPieces[Node];
  const uint64_t start = Base + SubtreeLength(n.Left), end = start + n.Length;
  if (From < start) Collect(n.Left, From, To, Base, Out);
  const uint64_t a = std::max(From, start), b = std::min(To, end);
  if (a < b) Out.append(n.Data + (a - start), b - a);
  if (To > end) Collect(n.Right, From, To, end, Out);
}

// Position of the occurrence of Pattern that begins with character Id, or UINT64_MAX when it is
// no longer there.
uint64_t TPieceTableRun::OccurrenceAt(uint64_t Id, std::u16string_view Pattern) const {
  const int32_t node = PieceOf(Id);
  if (node < 0) return UINT64_MAX;
  const TPiece& n = FPieces[node];
  const uint64_t pos = PiecePosition(node) + (Id - n.FirstId);
  if (Id + Pattern.size() <= n.FirstId + n.Length) return pos;
  if (pos + Pattern.size() > SubtreeLength(FRoot)) return UINT64_MAX;
  return Extract(pos, pos + Pattern.size()) == Pattern ? pos : UINT64_MAX;
}

// Keeps the occurrences of entries still to come that the text From .. To holds, that end after
// After and begin before Before.
void TPieceTableRun::NoteFormedIn(uint64_t From, uint64_t To, uint64_t After, uint64_t Before,
                                  uint32_t Current, bool KeepCurrent) {
  if (From >= To) return;
  const std::u16string& window = ExtractWindow(From, To);
  const std::vector<std::u16string_view>& patterns = FEntries.Distinct.Texts();
  const std::vector<uint32_t>& remaining = FEntries.Remaining;
  FAutomaton->Scan(window, [&](uint32_t p, size_t end) {
    const uint64_t endPos = From + end;
    if (endPos <= After) return false;
    const uint64_t start = endPos - patterns[p].size();
    if (start >= Before) return false; // shorter patterns begin later still
    if (remaining[p] > 0 && (p != Current || KeepCurrent)) FFormed[p].push_back(IdAt(start));
    return true;
  });
}

// Keeps the occurrences of entries still to come that overlap the text Inserted just written at
// Pos with the ids FirstId on.
void TPieceTableRun::NoteFormed(uint64_t Pos, std::u16string_view Inserted, uint64_t FirstId,
                                uint32_t Current, bool KeepCurrent) {
  const uint64_t reach = FAutomaton->MaxLength() - 1;
  const uint64_t length = SubtreeLength(FRoot), n = Inserted.size();
  const uint64_t from = Pos > reach ? Pos - reach : 0;
  if (n <= 2 * reach + 1) {
    // An occurrence overlaps the inserted text when it ends after Pos and begins before its
    // end; when nothing was inserted it must hold characters on both sides of Pos.
    NoteFormedIn(from, std::min(length, Pos + n + reach), Pos, n ? Pos + n : Pos, Current,
                 KeepCurrent);
    return;
  }
  // A long replacement: only the places across its two ends are scanned, and the occurrences
  // inside it, the same for every place the step writes it, are found once per step.
  NoteFormedIn(from, Pos + reach, Pos, Pos, Current, KeepCurrent);
  NoteFormedIn(Pos + n - reach, std::min(length, Pos + n + reach), Pos + n, Pos + n, Current,
               KeepCurrent);
  if (FInnerStep != FSteps) {
    FInnerStep = FSteps;
    FInner.clear();
    const std::vector<std::u16string_view>& patterns = FEntries.Distinct.Texts();
    const std::vector<uint32_t>& remaining = FEntries.Remaining;
    FAutomaton->Scan(Inserted, [&](uint32_t p, size_t end) {
      if (remaining[p] > 0 && (p != Current || KeepCurrent))
        FInner.emplace_back(p, end - patterns[p].size());
      return true;
    });
  }
  for (const auto& [p, offset] : FInner)
    FFormed[p].push_back(FirstId + offset);
}

size_t TPieceTableRun::Step(uint32_t Pattern, std::u16string_view Replacement,
                            std::vector<TTextEdit>* Edits) {
  ++FSteps;
  const std::u16string_view item = FEntries.Pattern(Pattern);
  const uint64_t itemLength = item.size();
  const bool itemBreaks = HasLineBreak(item);
  const std::vector<size_t> prefix = PrefixFunction(item);
  // Start positions of every occurrence of the item in S.
  auto findAll = [&](std::u16string_view S, auto&& Found) {
    for (size_t i = 0, k = 0; i < S.size(); ++i) {
      while (k > 0 && S[i] != item[k])
        k = prefix[k - 1];
      if (S[i] == item[k]) ++k;
      if (k == itemLength) {
        Found(i + 1 - itemLength);
        k = prefix[k - 1];
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
    mayFormAny = mayFormAny || FEntries.Chars.Has(c);
    mayFormOwn = mayFormOwn || item.find(c) != std::u16string_view::npos;
  }
  const bool singlePass = containsItem;

  const bool originalTaken = FStart.Taken[Pattern];
  const std::span<const size_t> original = FStart.Take(Pattern);
  std::vector<uint64_t> formed = std::move(FFormed[Pattern]);
  FFormed[Pattern].clear();
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
    uint64_t Pos, InsertedLength;
    int32_t Removed;
  };
  std::vector<TUndo> undo;
  const size_t editsBefore = Edits ? Edits->size() : 0;
  // A cascade may make far more edits than an editor can take one by one: past a budget the
  // step is reported as one edit of the whole text.
  const uint64_t lengthBefore = SubtreeLength(FRoot);
  constexpr size_t kMaxEdits = size_t(1) << 16;
  // Past this many replacements beyond the text's length the step is a cascade, which
  // ReplaceItem makes much faster without keeping ids and occurrences for every replacement.
  constexpr uint64_t kLongCascade = uint64_t(1) << 16;
  uint64_t insertedTotal = 0;
  bool wholeText = false;
  // A replacement shorter than the item always ends; a longer or equal one is stopped at the
  // limits, the length checked before the text grows.
  const bool limited = Replacement.size() >= itemLength;
  const TRewriteLimits& limits = FEntries.Limits;
  size_t nextOriginal = 0, nextFormed = 0;
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
    return std::min({firstFrom(original, nextOriginal, From), firstFrom(formed, nextFormed, From),
                     firstOwn(From)});
  };

  size_t count = 0;
  uint64_t from = 0;
  try {
    for (;;) {
      const uint64_t at = next(from);
      if (at == UINT64_MAX) break;
      ++count;
      if (count > kLongCascade + lengthBefore) throw ELongCascade();
      if (limited && count > limits.MaxReplacements)
        throw ERewriteLimit(item, ERewriteLimit::rlTooManyReplacements, limits);
      if (limited &&
          SubtreeLength(FRoot) + (Replacement.size() - itemLength) > limits.MaxTextLength)
        throw ERewriteLimit(item, ERewriteLimit::rlTextTooLong, limits);
      const uint64_t id = FNextId;
      FNextId += Replacement.size();
      if (!Replacement.empty() && (FWritten.empty() || *FWritten.back() != Replacement))
        FWritten.push_back(std::make_unique<std::u16string>(Replacement));
      const char16_t* data = Replacement.empty() ? nullptr : FWritten.back()->data();
      const int32_t removed = Replace(at, itemLength, id, Replacement.size(), data);
      undo.push_back({at, Replacement.size(), removed});
      if (Edits && !wholeText) {
        insertedTotal += Replacement.size();
        if (Edits->size() - editsBefore >= kMaxEdits ||
            insertedTotal > lengthBefore + (uint64_t(1) << 20)) {
          wholeText = true;
          Edits->resize(editsBefore);
        } else {
          Edits->push_back({at, itemLength, std::u16string(Replacement), itemBreaks});
        }
      }
      shift += static_cast<int64_t>(Replacement.size()) - static_cast<int64_t>(itemLength);
      if (mayFormAny) NoteFormed(at, Replacement, id, Pattern, singlePass);
      if (singlePass || !mayFormOwn) {
        from = at + Replacement.size();
        continue;
      }
      // Nothing to the left changed, so the next occurrence begins at at - (itemLength - 1) at
      // the earliest; those overlapping the replacement are found in the window around it.
      from = at > itemLength - 1 ? at - (itemLength - 1) : 0;
      const uint64_t to = std::min(SubtreeLength(FRoot), at + Replacement.size() + itemLength - 1);
      auto findIn = [&](uint64_t From, uint64_t To) {
        if (From >= To) return;
        findAll(ExtractWindow(From, To), [&](size_t start) {
          own.push({static_cast<int64_t>(From + start) - shift, IdAt(From + start)});
        });
      };
      // The replacement does not hold the item, so a long one is only scanned across its ends.
      if (Replacement.size() > 2 * itemLength) {
        findIn(from, at + itemLength - 1);
        findIn(at + Replacement.size() - (itemLength - 1), to);
      } else {
        findIn(from, to);
      }
    }
  } catch (...) {
    for (auto it = undo.rbegin(); it != undo.rend(); ++it)
      Undo(it->Pos, it->InsertedLength, it->Removed);
    if (Edits) Edits->resize(editsBefore);
    FStart.Taken[Pattern] = originalTaken;
    FFormed[Pattern].insert(FFormed[Pattern].end(), formed.begin(), formed.end());
    throw;
  }
  for (const TUndo& u : undo)
    Release(u.Removed);
  if (wholeText) Edits->push_back({0, lengthBefore, Text(), true});
  return count;
}

} // namespace

// The run: it sweeps while it can and moves to the piece table for good at the first
// replacement that can form occurrences.
struct TRewriteRun::TImpl {
  TRunEntries Entries;
  std::unique_ptr<TSweepRun> Sweep;       // while sweeping
  std::unique_ptr<TPieceTableRun> Pieces; // after
  TRunStrategy* Active = nullptr;
  size_t DoneCount = 0;
  bool Failed = false;

  size_t Step(std::u16string_view Replacement, std::vector<TTextEdit>* Edits) {
    if (Failed) throw std::logic_error("the rewrite run stopped after an error");
    if (DoneCount == Entries.Texts.size()) throw std::logic_error("every entry has been applied");
    const uint32_t p = Entries.EntryPattern[DoneCount];
    if (p == kNone) {
      ++DoneCount;
      return 0;
    }
    if (Sweep) {
      if (Sweep->CanTake(Replacement)) {
        if (DoneCount + 9 < Entries.EntryPattern.size())
          Sweep->PrefetchFor(Entries.EntryPattern[DoneCount + 9]);
        size_t count;
        try {
          count = Sweep->Step(p, Replacement, Edits);
        } catch (...) {
          Failed = true;
          throw;
        }
        --Entries.Remaining[p];
        ++DoneCount;
        return count;
      }
      // The piece table starts from the present text; its occurrences are found anew.
      std::u16string text = Sweep->Text();
      Sweep.reset();
      Pieces = std::make_unique<TPieceTableRun>(std::move(text), Entries);
      Active = Pieces.get();
    }
    --Entries.Remaining[p];
    size_t count;
    try {
      try {
        count = Pieces->Step(p, Replacement, Edits);
      } catch (const ELongCascade&) {
        count = StepLongCascade(p, Replacement, Edits);
      }
    } catch (...) {
      ++Entries.Remaining[p];
      Failed = true;
      throw;
    }
    ++DoneCount;
    return count;
  }

  // A cascade of more replacements than the piece table should make one by one (it has undone
  // them): the entry is rewritten by ReplaceItem, whose result is the same, and the piece table
  // starts again from that text. The step is one edit of the whole text.
  size_t StepLongCascade(uint32_t Pattern, std::u16string_view Replacement,
                         std::vector<TTextEdit>* Edits) {
    const std::u16string before = Pieces->Text();
    std::u16string after =
        ReplaceItem(before, Entries.Pattern(Pattern), Replacement, Entries.Limits);
    if (Edits) Edits->push_back({0, before.size(), after, HasLineBreak(before)});
    Pieces = std::make_unique<TPieceTableRun>(std::move(after), Entries);
    Active = Pieces.get();
    return 1;
  }
};

TRewriteRun::TRewriteRun(std::u16string Text, std::vector<std::u16string> Entries,
                         std::u16string_view StartMarker, std::u16string_view EndMarker)
    : FImpl(std::make_unique<TImpl>()) {
  TRunEntries& d = FImpl->Entries;
  d.Texts = std::move(Entries);
  d.StartMarker = StartMarker;
  d.EndMarker = EndMarker;
  d.Distinct = TTextSet(d.Texts.size());
  d.EntryPattern.reserve(d.Texts.size());
  // Hashed first, so that the set's slots can be asked for a little ahead of their use.
  std::vector<uint64_t> hashes(d.Texts.size());
  for (size_t i = 0; i < d.Texts.size(); ++i)
    hashes[i] = HashText(d.Texts[i]);
  constexpr size_t ahead = 16;
  for (size_t i = 0; i < d.Texts.size(); ++i) {
    if (i + ahead < hashes.size()) PrefetchSlot(d.Distinct, hashes[i + ahead]);
    const std::u16string& e = d.Texts[i];
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
  FImpl->Sweep = std::make_unique<TSweepRun>(std::move(Text), d);
  FImpl->Active = FImpl->Sweep.get();
}

TRewriteRun::~TRewriteRun() = default;

size_t TRewriteRun::Count() const {
  return FImpl->Entries.Texts.size();
}
size_t TRewriteRun::Done() const {
  return FImpl->DoneCount;
}
size_t TRewriteRun::Length() const {
  return FImpl->Active->Length();
}
std::u16string TRewriteRun::Text() const {
  return FImpl->Active->Text();
}

void TRewriteRun::SetLimits(const TRewriteLimits& Limits) {
  FImpl->Entries.Limits = Limits;
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
                        std::u16string_view Replacement, const TRewriteLimits& Limits,
                        std::u16string_view StartMarker = {}, std::u16string_view EndMarker = {}) {
  std::vector<std::u16string> entries;
  entries.reserve(Plan.Entry.size());
  for (const uint32_t p : Plan.Entry)
    entries.emplace_back(p == kNone ? std::u16string_view() : Plan.Distinct[p]);
  TRewriteRun run(std::move(Text), std::move(entries), StartMarker, EndMarker);
  run.SetLimits(Limits);
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
    PrefetchCompared(Plan.Distinct, batch, [](const TLine& Line) { return Line.Hash; });
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
    PrefetchSlot(Plan.Distinct, hash);
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
                          std::u16string_view Replacement, const TRewriteLimits& Limits) {
  TEntryPlan<char16_t> plan(Entries.size());
  for (const auto& e : Entries)
    plan.Add(e);
  if (!plan.CannotForm(Replacement)) return RunSteps(std::move(Text), plan, Replacement, Limits);
  const std::u16string_view text(Text);
  return Replaced(text, ChooseReplaced(plan.Distinct, FindOccurrencesInOrder(text, plan.Distinct)),
                  Replacement);
}

std::u16string RewriteMarkedItems(std::u16string_view Text, std::u16string_view StartMarker,
                                  std::u16string_view EndMarker, std::u16string_view Replacement,
                                  size_t* EntryCount, const TRewriteLimits& Limits) {
  TEntryPlan<char16_t> plan(std::max<size_t>(1024, Text.size() / 64));
  TOccurrenceHints hints;
  PlanMarkedItems(Text, StartMarker, EndMarker, plan, hints);
  if (EntryCount) *EntryCount = plan.Entry.size();
  if (!plan.CannotForm(Replacement))
    return RunSteps(std::u16string(Text), plan, Replacement, Limits, StartMarker, EndMarker);
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
