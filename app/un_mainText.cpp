// Text functions of the main window: the marker search and the replacement of one item.
#include "app/un_mainText.h"

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

std::vector<std::u16string> FindMarkedItems(std::u16string_view Text,
                                            std::u16string_view StartMarker,
                                            std::u16string_view EndMarker) {
  std::vector<std::u16string> items;
  if (StartMarker.empty() || EndMarker.empty()) return items;
  const std::vector<size_t> starts = FindAll(Text, StartMarker);
  if (starts.empty()) return items;
  const std::vector<size_t> ends = FindAll(Text, EndMarker);
  // Both lists ascend, and each start pairs with the first end that begins after its first
  // character, so one cursor over the ends serves every start.
  size_t e = 0;
  for (const size_t a : starts) {
    while (e < ends.size() && ends[e] < a + 1)
      ++e;
    if (e == ends.size()) break; // no later start can find an end either
    const size_t b = ends[e];
    if (b >= a + StartMarker.size()) {
      items.emplace_back(Text.substr(a, b + EndMarker.size() - a));
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

  // The result is built as a stack of characters that hold no occurrence, each with the
  // matcher's state after it. Whenever the top ends with the item, the item is popped and the
  // replacement is fed in front of the rest of the input. Since nothing to the left of a
  // replacement changed, the leftmost occurrence of the rewritten text can only begin at most
  // Item.size() - 1 characters before it, which is exactly what the restored state sees.
  const std::vector<size_t> pi = PrefixFunction(Item);
  const size_t m = Item.size();
  std::u16string out;
  std::vector<size_t> state; // state[i]: matched length after out[0..i]
  out.reserve(Text.size());
  state.reserve(Text.size());
  size_t replacements = 0;
  auto push = [&](char16_t c) {
    size_t k = state.empty() ? 0 : state.back();
    if (k == m) k = pi[m - 1];
    while (k > 0 && c != Item[k])
      k = pi[k - 1];
    if (c == Item[k]) ++k;
    out.push_back(c);
    state.push_back(k);
    return k == m;
  };
  // Replacements still to be fed, as (position in Replacement) on a stack: a replacement fed
  // in the middle of another one interrupts it.
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
    if (!push(c)) continue;
    if (++replacements > Text.size()) throw ERewriteLimit();
    out.resize(out.size() - m);
    state.resize(state.size() - m);
    if (!Replacement.empty()) pending.push_back(0);
  }
  return out;
}

} // namespace textovrt
