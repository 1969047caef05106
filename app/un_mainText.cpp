// Text functions of the main window: the marker search and the replacement of one item.
#include "app/un_mainText.h"

#include <algorithm>

namespace textovrt {

ERewriteLimit::ERewriteLimit()
    : std::runtime_error("Přepis nekončí: náhrada stále vytváří nové výskyty položky.") {}

std::vector<size_t> PrefixFunction(std::u16string_view Pattern) {
  std::vector<size_t> pi(Pattern.size(), 0);
  for (size_t i = 1, k = 0; i < Pattern.size(); ++i) {
    while (k > 0 && Pattern[i] != Pattern[k])
      k = pi[k - 1];
    if (Pattern[i] == Pattern[k]) ++k;
    pi[i] = k;
  }
  return pi;
}

std::vector<size_t> FindAll(std::u16string_view Text, std::u16string_view Pattern) {
  std::vector<size_t> found;
  if (Pattern.empty() || Pattern.size() > Text.size()) return found;
  const std::vector<size_t> pi = PrefixFunction(Pattern);
  const size_t m = Pattern.size();
  for (size_t i = 0, k = 0; i < Text.size(); ++i) {
    while (k > 0 && Text[i] != Pattern[k])
      k = pi[k - 1];
    if (Text[i] == Pattern[k]) ++k;
    if (k == m) {
      found.push_back(i + 1 - m);
      k = pi[k - 1];
    }
  }
  return found;
}

namespace {

// Finds the occurrences of one pattern in a text one after the other, overlapping ones
// included, without keeping them.
class TMatcher {
public:
  TMatcher(std::u16string_view Text, std::u16string_view Pattern)
      : FText(Text), FPattern(Pattern), FPi(PrefixFunction(Pattern)) {}
  // Start of the next occurrence, or npos when there is none.
  size_t Next() {
    const size_t m = FPattern.size();
    while (FAt < FText.size()) {
      const char16_t c = FText[FAt++];
      while (FK > 0 && c != FPattern[FK])
        FK = FPi[FK - 1];
      if (c == FPattern[FK]) ++FK;
      if (FK == m) {
        FK = FPi[m - 1];
        return FAt - m;
      }
    }
    return std::u16string_view::npos;
  }

private:
  std::u16string_view FText, FPattern;
  std::vector<size_t> FPi;
  size_t FAt = 0, FK = 0;
};

} // namespace

std::vector<TMarkedSpan> FindMarkedSpans(std::u16string_view Text, std::u16string_view StartMarker,
                                         std::u16string_view EndMarker) {
  constexpr size_t npos = std::u16string_view::npos;
  std::vector<TMarkedSpan> spans;
  if (StartMarker.empty() || EndMarker.empty()) return spans;
  // Starts come in ascending order, and each pairs with the first end that begins after its
  // first character, so one pass over the ends serves every start.
  TMatcher starts(Text, StartMarker), ends(Text, EndMarker);
  size_t b = ends.Next();
  for (size_t a = starts.Next(); a != npos && b != npos; a = starts.Next()) {
    while (b != npos && b < a + 1)
      b = ends.Next();
    if (b == npos) break; // no later start can find an end either
    spans.push_back({a, b});
  }
  return spans;
}

std::vector<std::u16string> FindMarkedItems(std::u16string_view Text,
                                            std::u16string_view StartMarker,
                                            std::u16string_view EndMarker) {
  std::vector<std::u16string> items;
  for (const TMarkedSpan& s : FindMarkedSpans(Text, StartMarker, EndMarker)) {
    if (s.End >= s.Start + StartMarker.size()) {
      items.emplace_back(Text.substr(s.Start, s.End + EndMarker.size() - s.Start));
    } else {
      std::u16string item(StartMarker);
      item += EndMarker;
      items.push_back(std::move(item));
    }
  }
  return items;
}

namespace {

// One pass from left to right over the leftmost non-overlapping occurrences.
std::u16string ReplaceSinglePass(std::u16string_view Text, std::u16string_view Item,
                                 std::u16string_view Replacement) {
  std::u16string out;
  out.reserve(Text.size());
  size_t done = 0;
  size_t next = 0; // occurrences that start before this overlap the last one replaced
  for (const size_t a : FindAll(Text, Item)) {
    if (a < next) continue;
    out.append(Text.substr(done, a - done));
    out.append(Replacement);
    done = next = a + Item.size();
  }
  out.append(Text.substr(done));
  return out;
}

} // namespace

std::u16string ReplaceItem(std::u16string_view Text, std::u16string_view Item,
                           std::u16string_view Replacement) {
  if (Item.empty() || Item.size() > Text.size()) return std::u16string(Text);
  if (Replacement.find(Item) != std::u16string_view::npos)
    return ReplaceSinglePass(Text, Item, Replacement);

  // The result is built as a stack of characters that hold no occurrence. Whenever its top
  // ends with the item, the item is popped and the replacement is fed in front of the rest of
  // the input. Since nothing to the left of a replacement changed, the leftmost occurrence of
  // the rewritten text can only begin at most Item.size() - 1 characters before it, which is
  // all the matcher needs to see again.
  const std::vector<size_t> pi = PrefixFunction(Item);
  const size_t m = Item.size();
  std::u16string out;
  out.reserve(Text.size());
  size_t k = 0; // matched length at the top of the stack
  auto step = [&](char16_t c) {
    while (k > 0 && c != Item[k])
      k = pi[k - 1];
    if (c == Item[k]) ++k;
  };
  size_t replacements = 0;
  // Replacements still to be fed, as positions in Replacement: one fed in the middle of
  // another interrupts it.
  std::vector<size_t> pending;
  size_t input = 0;
  for (;;) {
    char16_t c;
    if (!pending.empty()) {
      size_t& at = pending.back();
      c = Replacement[at];
      if (++at == Replacement.size()) pending.pop_back();
    } else if (input < Text.size()) {
      c = Text[input++];
    } else {
      break;
    }
    step(c);
    out.push_back(c);
    if (k < m) continue;
    if (++replacements > Text.size()) throw ERewriteLimit();
    out.resize(out.size() - m);
    k = 0;
    for (size_t j = out.size() - std::min(out.size(), m - 1); j < out.size(); ++j)
      step(out[j]);
    if (!Replacement.empty()) pending.push_back(0);
  }
  return out;
}

} // namespace textovrt
