// Slow, literal transcriptions of the marker search and the item replacement (1-based
// positions, every search from the start of the text), used as oracles by the tests.
#pragma once

#include "app/un_mainText.h"

#include <random>
#include <string>
#include <vector>

namespace textovrt::literal {

// Position (1-based) of the first occurrence of Sub in S that begins at From or later; 0 when
// Sub or S is empty, From is 0 or less, or there is none.
inline long Pos(const std::u16string& Sub, const std::u16string& S, long From = 1) {
  if (Sub.empty() || S.empty() || From <= 0) return 0;
  for (long i = From; i + static_cast<long>(Sub.size()) - 1 <= static_cast<long>(S.size()); ++i)
    if (S.compare(i - 1, Sub.size(), Sub) == 0) return i;
  return 0;
}

inline std::vector<std::u16string> FindMarkedItems(const std::u16string& Text,
                                                   const std::u16string& StartMarker,
                                                   const std::u16string& EndMarker) {
  std::vector<std::u16string> list;
  long p = 1;
  for (;;) {
    const long a = Pos(StartMarker, Text, p);
    if (a <= 0) return list;
    const long b = Pos(EndMarker, Text, a + 1);
    if (b > 0) {
      const long count = b - a - static_cast<long>(StartMarker.size());
      const std::u16string inner =
          count > 0 ? Text.substr(a - 1 + StartMarker.size(), count) : std::u16string();
      list.push_back(StartMarker + inner + EndMarker);
    }
    p = a + 1;
  }
}

// The rescanning replacement, with the two rules that make it end: one pass when the
// replacement contains the item; otherwise a replacement shorter than the item always ends,
// and a cascade of longer or equal ones is refused when the text would grow past
// Limits.MaxTextLength or the replacements run past Limits.MaxReplacements. *Count receives the
// replacements made.
inline std::u16string ReplaceItem(std::u16string Text, const std::u16string& Item,
                                  const std::u16string& Replacement,
                                  const TRewriteLimits& Limits = {}, size_t* Count = nullptr) {
  if (!Item.empty() && Replacement.find(Item) != std::u16string::npos) {
    std::u16string out;
    size_t i = 0, count = 0;
    while (i < Text.size()) {
      if (Text.compare(i, Item.size(), Item) == 0) {
        out += Replacement;
        i += Item.size();
        ++count;
        if (out.size() + (Text.size() - i) > Limits.MaxTextLength)
          throw ERewriteLimit(Item, ERewriteLimit::rlTextTooLong, Limits);
      } else {
        out += Text[i++];
      }
    }
    if (Count) *Count = count;
    return out;
  }
  const bool limited = Replacement.size() >= Item.size();
  size_t count = 0;
  long a = Pos(Item, Text);
  while (a > 0) {
    ++count;
    if (limited && count > Limits.MaxReplacements)
      throw ERewriteLimit(Item, ERewriteLimit::rlTooManyReplacements, Limits);
    if (limited && Text.size() - Item.size() + Replacement.size() > Limits.MaxTextLength)
      throw ERewriteLimit(Item, ERewriteLimit::rlTextTooLong, Limits);
    Text.erase(a - 1, Item.size());
    Text.insert(a - 1, Replacement);
    a = Pos(Item, Text);
  }
  if (Count) *Count = count;
  return Text;
}

// A random string over the first AlphabetSize letters of Alphabet.
inline std::u16string RandomText(std::mt19937& Rng, const std::u16string& Alphabet, size_t MaxLen) {
  std::uniform_int_distribution<size_t> len(0, MaxLen), ch(0, Alphabet.size() - 1);
  std::u16string s(len(Rng), u' ');
  for (auto& c : s)
    c = Alphabet[ch(Rng)];
  return s;
}

} // namespace textovrt::literal
