// Generated texts for the text benchmarks: lines of words with marked items "<<...>>", some of
// them repeated and some spanning a line break, about one item per ItemSpacing characters.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace textovrt::bench {

inline std::u16string Number(unsigned long N) {
  const std::string digits = std::to_string(N);
  return std::u16string(digits.begin(), digits.end());
}

// Item numbers come from a range ten times the number of items (at least 100,000), so that
// texts of any size are of the same kind: with a fixed range, the chance that one item's first
// line begins another item would grow with the number of items, and a large text would hold
// more occurrences per item than a small one.
inline std::u16string GenerateText(size_t Chars, size_t ItemSpacing, unsigned Seed = 1) {
  static const std::u16string words[] = {u"řádek", u"text",     u"kód",    u"nesmysl",
                                         u"entou", u"je",       u"na",     u"změnit",
                                         u"více",  u"podmínku", u"zvlášť", u"a"};
  std::mt19937 rng(Seed);
  std::uniform_int_distribution<size_t> word(0, std::size(words) - 1), pct(0, 99);
  std::u16string text;
  text.reserve(Chars + 200);
  std::vector<std::u16string> earlier;
  const uint32_t numbers = static_cast<uint32_t>(
      std::clamp<size_t>(10 * (Chars / std::max<size_t>(ItemSpacing, 1)), 100'000, UINT32_MAX));
  size_t nextItem = ItemSpacing / 2, lineLength = 0;
  while (text.size() < Chars) {
    if (text.size() >= nextItem) {
      nextItem += ItemSpacing;
      const size_t kind = pct(rng);
      std::u16string item;
      if (kind < 10 && !earlier.empty()) { // a duplicate
        item = earlier[std::uniform_int_distribution<size_t>(0, earlier.size() - 1)(rng)];
      } else {
        item = u"<<" + words[word(rng)] + u" " + Number(rng() % numbers);
        if (kind < 20) item += u"\r\n" + words[word(rng)]; // spans a line break
        item += u">>";
        if (earlier.size() < 1000) earlier.push_back(item);
      }
      text += item;
    } else {
      text += words[word(rng)];
    }
    if (++lineLength % 12 == 0)
      text += u"\r\n";
    else
      text += u' ';
  }
  return text;
}

inline double Seconds(const std::chrono::steady_clock::time_point& Start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}

// Runs F a few times and returns the best time in seconds.
template <class F>
double BestOf(int Runs, F&& Body) {
  double best = 1e300;
  for (int i = 0; i < Runs; ++i) {
    const auto t = std::chrono::steady_clock::now();
    Body();
    best = std::min(best, Seconds(t));
  }
  return best;
}

// A plain single-pass replacement of every occurrence of What: the baseline.
inline std::u16string PlainReplace(std::u16string_view Text, std::u16string_view What,
                                   std::u16string_view With) {
  std::u16string out;
  out.reserve(Text.size());
  size_t done = 0;
  for (size_t at = Text.find(What); at != std::u16string_view::npos; at = Text.find(What, done)) {
    out.append(Text.substr(done, at - done));
    out.append(With);
    done = at + What.size();
  }
  out.append(Text.substr(done));
  return out;
}

} // namespace textovrt::bench
