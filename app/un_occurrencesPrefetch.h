// Asking ahead for the memory that lookups in a text set will read, so that the cache misses of
// many lookups overlap. Private to the text units.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "app/un_occurrences.h"

namespace textovrt {

// Asks for the slot of a text with this hash to be brought into the cache.
template <class C>
void PrefetchSlot(const TBasicTextSet<C>& Set, uint64_t Hash) {
  __builtin_prefetch(Set.FirstSlot(Hash));
}

// Asks ahead for what lookups of the items' texts (whose slots were asked for by PrefetchSlot
// a little before) will compare them with: the entry of the text in the slot, then its
// characters. HashOf(item) gives an item's hash.
template <class C, class Range, class H>
void PrefetchCompared(const TBasicTextSet<C>& Set, const Range& Items, H&& HashOf) {
  constexpr size_t chunk = 32;
  uint32_t ids[chunk];
  const auto& texts = Set.Texts();
  for (auto it = std::begin(Items); it != std::end(Items);) {
    size_t n = 0;
    for (; it != std::end(Items) && n < chunk; ++it, ++n) {
      ids[n] = Set.Candidate(HashOf(*it));
      if (ids[n] != kNoText) __builtin_prefetch(texts.data() + ids[n]);
    }
    for (size_t i = 0; i < n; ++i)
      if (ids[i] != kNoText) __builtin_prefetch(texts[ids[i]].data());
  }
}

} // namespace textovrt
