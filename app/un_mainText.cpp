// Text functions of the main window: the marker search and the replacement of one item.
#include "app/un_mainText.h"

#include "base/TextUtils.h"

#include <algorithm>
#include <bit>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace textovrt {

namespace {

// The item as a message shows it: quoted, and shortened when long.
std::string QuotedItem(std::u16string_view Item) {
  constexpr size_t kShown = 60;
  std::u16string shown(Item.substr(0, kShown));
  if (Item.size() > kShown) {
    // Not in the middle of a surrogate pair.
    if (shown.back() >= 0xD800 && shown.back() <= 0xDBFF) shown.pop_back();
    shown += u"…";
  }
  return "„" + Utf16ToUtf8(shown) + "“";
}

std::string RewriteLimitMessage(std::u16string_view Item, ERewriteLimit::TReason Reason,
                                const TRewriteLimits& Limits) {
  if (Reason == ERewriteLimit::rlTextTooLong)
    return "Přepis položky " + QuotedItem(Item) + " by prodloužil text přes " +
           std::to_string(Limits.MaxTextLength) + " znaků.";
  return "Přepis nekončí: náhrada stále vytváří nové výskyty položky " + QuotedItem(Item) +
         " (přes " + std::to_string(Limits.MaxReplacements) + " náhrad).";
}

} // namespace

ERewriteLimit::ERewriteLimit(std::u16string_view Item, TReason Reason, const TRewriteLimits& Limits)
    : std::runtime_error(RewriteLimitMessage(Item, Reason, Limits)), FReason(Reason), FItem(Item) {}

namespace {

template <class C>
std::vector<size_t> BasicPrefixFunction(std::basic_string_view<C> Pattern) {
  std::vector<size_t> pi(Pattern.size(), 0);
  for (size_t i = 1, k = 0; i < Pattern.size(); ++i) {
    while (k > 0 && Pattern[i] != Pattern[k])
      k = pi[k - 1];
    if (Pattern[i] == Pattern[k]) ++k;
    pi[i] = k;
  }
  return pi;
}

} // namespace

std::vector<size_t> PrefixFunction(std::u16string_view Pattern) {
  return BasicPrefixFunction(Pattern);
}

template <class C>
TBasicFinder<C>::TBasicFinder(std::basic_string_view<C> Text, std::basic_string_view<C> Pattern)
    : FText(Text), FPattern(Pattern), FBudget(2 * Text.size() + 64) {}

template <class C>
size_t TBasicFinder<C>::Next() {
  constexpr size_t npos = std::basic_string_view<C>::npos;
  if (FKmp) return NextByKmp();
  const size_t m = FPattern.size(), n = FText.size();
  if (m == 0 || m > n) return npos;
  const size_t last = n - m; // the last place an occurrence can begin
  const C first = FPattern[0], lastChar = FPattern[m - 1];
  const C* text = FText.data();
  for (;;) {
    while (FMask != 0) {
      const size_t at = FBlock + static_cast<size_t>(std::countr_zero(FMask)) / sizeof(C);
      FMask &= FMask - 1; // one bit per candidate
      if (m <= 2) return at;
      if (FBudget < m - 2) { // periodic: checking candidates would no longer be linear
        FKmp = true;
        FAt = at;
        FK = 0;
        return NextByKmp();
      }
      FBudget -= m - 2;
      if (std::char_traits<C>::compare(text + at + 1, FPattern.data() + 1, m - 2) == 0) return at;
    }
    // The next block with a candidate.
    size_t b = FNext;
    uint32_t mask = 0;
#ifdef __SSE2__
    auto candidates = [&](size_t At) {
      const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + At));
      const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + At + m - 1));
      if constexpr (sizeof(C) == 1) {
        const __m128i f = _mm_set1_epi8(static_cast<char>(first));
        const __m128i l = _mm_set1_epi8(static_cast<char>(lastChar));
        return static_cast<uint32_t>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(x, f), _mm_cmpeq_epi8(y, l))));
      } else {
        const __m128i f = _mm_set1_epi16(static_cast<short>(first));
        const __m128i l = _mm_set1_epi16(static_cast<short>(lastChar));
        return static_cast<uint32_t>(
                   _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi16(x, f), _mm_cmpeq_epi16(y, l)))) &
               0x5555u;
      }
    };
    while (b + 2 * kBlock - 1 <= last && (mask = candidates(b) | candidates(b + kBlock) << 16) == 0)
      b += 2 * kBlock;
    if (mask == 0 && b + kBlock - 1 <= last) {
      mask = candidates(b);
      if (mask == 0) b += kBlock;
    }
    if (mask != 0) {
      // Two blocks may have been checked at once: keep the first one's and go on from there.
      if ((mask & 0xFFFFu) == 0) {
        mask >>= 16;
        b += kBlock;
      }
      FBlock = b;
      FNext = b + kBlock;
      FMask = mask & 0xFFFFu;
      continue;
    }
#endif
    if (b > last) return npos;
    for (size_t i = 0; i < kBlock && b + i <= last; ++i)
      if (text[b + i] == first && text[b + i + m - 1] == lastChar)
        mask |= uint32_t(1) << (sizeof(C) * i);
    FBlock = b;
    FNext = b + kBlock;
    FMask = mask;
  }
}

template <class C>
size_t TBasicFinder<C>::NextByKmp() {
  const size_t m = FPattern.size();
  if (FPi.empty()) FPi = BasicPrefixFunction(FPattern);
  while (FAt < FText.size()) {
    const C c = FText[FAt++];
    while (FK > 0 && c != FPattern[FK])
      FK = FPi[FK - 1];
    if (c == FPattern[FK]) ++FK;
    if (FK == m) {
      FK = FPi[m - 1];
      return FAt - m;
    }
  }
  return std::basic_string_view<C>::npos;
}

template class TBasicFinder<char>;
template class TBasicFinder<char16_t>;

std::vector<size_t> FindAll(std::u16string_view Text, std::u16string_view Pattern) {
  std::vector<size_t> found;
  TFinder finder(Text, Pattern);
  for (size_t at = finder.Next(); at != std::u16string_view::npos; at = finder.Next())
    found.push_back(at);
  return found;
}

std::vector<TMarkedSpan> FindMarkedSpans(std::u16string_view Text, std::u16string_view StartMarker,
                                         std::u16string_view EndMarker) {
  std::vector<TMarkedSpan> spans;
  ForEachMarkedSpan(Text, StartMarker, EndMarker, [&](TMarkedSpan s) { spans.push_back(s); });
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
                                 std::u16string_view Replacement, const TRewriteLimits& Limits) {
  std::vector<size_t> found;
  size_t next = 0; // occurrences that start before this overlap the last one replaced
  for (const size_t a : FindAll(Text, Item)) {
    if (a < next) continue;
    found.push_back(a);
    next = a + Item.size();
  }
  // The replacement contains the item, so it is at least as long: the text never shrinks.
  const uint64_t length =
      Text.size() + static_cast<uint64_t>(found.size()) * (Replacement.size() - Item.size());
  if (length > Limits.MaxTextLength)
    throw ERewriteLimit(Item, ERewriteLimit::rlTextTooLong, Limits);
  std::u16string out;
  out.reserve(length);
  size_t done = 0;
  for (const size_t a : found) {
    out.append(Text.substr(done, a - done));
    out.append(Replacement);
    done = a + Item.size();
  }
  out.append(Text.substr(done));
  return out;
}

} // namespace

std::u16string ReplaceItem(std::u16string_view Text, std::u16string_view Item,
                           std::u16string_view Replacement, const TRewriteLimits& Limits) {
  if (Item.empty() || Item.size() > Text.size()) return std::u16string(Text);
  if (Replacement.find(Item) != std::u16string_view::npos)
    return ReplaceSinglePass(Text, Item, Replacement, Limits);

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
  // A replacement shorter than the item shortens the text each time, so it ends by itself;
  // otherwise the text's length after each replacement is known before anything grows.
  const bool limited = Replacement.size() >= m;
  const uint64_t growth = limited ? Replacement.size() - m : 0;
  uint64_t replacements = 0;
  // Replacements still to be fed, as positions in Replacement: one fed in the middle of
  // another interrupts it.
  std::vector<uint32_t> pending;
  size_t input = 0;
  for (;;) {
    char16_t c;
    if (!pending.empty()) {
      uint32_t& at = pending.back();
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
    ++replacements;
    if (limited) {
      if (replacements > Limits.MaxReplacements)
        throw ERewriteLimit(Item, ERewriteLimit::rlTooManyReplacements, Limits);
      if (Text.size() + replacements * growth > Limits.MaxTextLength)
        throw ERewriteLimit(Item, ERewriteLimit::rlTextTooLong, Limits);
    }
    out.resize(out.size() - m);
    k = 0;
    for (size_t j = out.size() - std::min(out.size(), m - 1); j < out.size(); ++j)
      step(out[j]);
    if (!Replacement.empty()) pending.push_back(0);
  }
  return out;
}

} // namespace textovrt
