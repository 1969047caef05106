// FindMarkedItems and ReplaceItem on large and adversarial texts, as ratios to a plain
// single-pass replacement of the same text timed in the same run.
#include "app/un_mainText.h"
#include "bench/textgen.h"

using namespace textovrt;
using namespace textovrt::bench;

namespace {

struct TFigures {
  double Find, Replace, Baseline;
  size_t Items;
};

TFigures Measure(size_t Chars) {
  const std::u16string text = GenerateText(Chars, 100);
  TFigures f{};
  std::vector<std::u16string> items;
  f.Find = BestOf(3, [&] { items = FindMarkedItems(text, u"<<", u">>"); });
  f.Items = items.size();
  // An item that occurs many times (duplicates are drawn from the first thousand), so that the
  // replacement does real work.
  const std::u16string& item = items[3];
  f.Replace = BestOf(3, [&] { (void)ReplaceItem(text, item, u"*"); });
  f.Baseline = BestOf(3, [&] { (void)PlainReplace(text, u"<<", u"*"); });
  return f;
}

} // namespace

int main() {
  std::printf("Marker search and item replacement (ratios to a plain single-pass replace)\n");
  const TFigures small = Measure(2'000'000), large = Measure(20'000'000);
  std::printf(
      "  20 M chars, %zu items: FindMarkedItems %.2fx, ReplaceItem %.2fx (baseline %.3f s)\n",
      large.Items, large.Find / large.Baseline, large.Replace / large.Baseline, large.Baseline);
  std::printf("  10x the text: FindMarkedItems %.1fx the time, ReplaceItem %.1fx (the plain "
              "replace %.1fx)\n",
              large.Find / small.Find, large.Replace / small.Replace,
              large.Baseline / small.Baseline);

  // Many start markers and no end marker.
  const std::u16string starts(20'000'000, u'<');
  const double base = BestOf(3, [&] { (void)PlainReplace(starts, u"<>", u"*"); });
  const double noEnd = BestOf(3, [&] { (void)FindMarkedItems(starts, u"<", u">"); });
  const std::u16string starts2(2'000'000, u'<');
  const double noEnd2 = BestOf(3, [&] { (void)FindMarkedItems(starts2, u"<", u">"); });
  const double base2 = BestOf(3, [&] { (void)PlainReplace(starts2, u"<>", u"*"); });
  std::printf(
      "  20 M start markers, no end marker: FindMarkedItems %.2fx; 10x the text %.1fx the time "
      "(the plain replace %.1fx)\n",
      noEnd / base, noEnd / noEnd2, base / base2);

  // Replacements that keep forming new occurrences: "a...ab...b" loses one "ab" per step.
  auto cascade = [](size_t Half) {
    return std::u16string(Half, u'a') + std::u16string(Half, u'b');
  };
  const std::u16string c1 = cascade(1'000'000), c10 = cascade(10'000'000);
  const double baseC = BestOf(3, [&] { (void)PlainReplace(c10, u"ab", u""); });
  const double t10 = BestOf(3, [&] { (void)ReplaceItem(c10, u"ab", u""); });
  const double t1 = BestOf(3, [&] { (void)ReplaceItem(c1, u"ab", u""); });
  const double baseC1 = BestOf(3, [&] { (void)PlainReplace(c1, u"ab", u""); });
  std::printf(
      "  20 M chars, 10 M cascading replacements: ReplaceItem %.2fx; 10x the text %.1fx the time "
      "(the plain replace %.1fx)\n",
      t10 / baseC, t10 / t1, baseC / baseC1);
  return 0;
}
