// The rewrite run engine and textovrt-cli, each as a ratio to a baseline timed in the same run:
// time per MB over growing texts, the literal entry-by-entry ReplaceItem, and perl doing the
// equivalent single-pass substitution of the same file, in the 8-bit code page, in UTF-8 and in
// UTF-8 with LF line breaks.
#include "app/un_mainText.h"
#include "app/un_rewrite.h"
#include "app/un_textfile.h"
#include "bench/textgen.h"
#include "base/TextUtils.h"

#include <cstdlib>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <sys/resource.h>
#include <filesystem>
#include <fstream>

using namespace textovrt;
using namespace textovrt::bench;
namespace fs = std::filesystem;

namespace {

// The run step by step, as the program drives it (edits of every entry reported, the markers
// given). The run takes its text and entries over; the copies it is given are made before the
// clock starts, as they are the caller's.
double StepwiseSeconds(const std::u16string& Text, const std::vector<std::u16string>& Entries) {
  std::u16string text = Text;
  std::vector<std::u16string> entries = Entries;
  const auto t = std::chrono::steady_clock::now();
  TRewriteRun run(std::move(text), std::move(entries), u"<<", u">>");
  std::vector<TTextEdit> edits;
  while (!run.Finished()) {
    edits.clear();
    run.Step(u"*", &edits);
  }
  (void)run.Text();
  return Seconds(t);
}

// The whole run in one go, as the command does it.
double WholeSeconds(const std::u16string& Text) {
  const auto t = std::chrono::steady_clock::now();
  (void)RewriteMarkedItems(Text, u"<<", u">>", u"*");
  return Seconds(t);
}

} // namespace

int main() {
#ifdef __GLIBC__
  // The allocator set as textovrt-cli sets it: freed memory stays in the heap. Otherwise every
  // buffer of the large texts would be a fresh mapping whose pages the system clears on first
  // touch, while those of the small ones are reused, and the figures per MB would compare the
  // allocator rather than the run.
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
  std::printf("Rewrite run engine (time per MB as a ratio to the 1 MB figure of the same way)\n");
  // The sizes are timed in turns, nine rounds: the machine's load comes and goes, and should
  // favour no size. Each round times 50 MB of each way, in runs of the size (50 runs of 1 MB, 5
  // of 10 MB, 1 of 50 MB), so that a lucky moment serves a short run no better than a long one.
  // The figures are the best round of each and, for the ratios, the middle one too.
  struct TSize {
    size_t Mb;
    std::u16string Text;
    std::vector<std::u16string> Entries;
    std::vector<double> Step, Whole;
  };
  std::vector<TSize> sizes;
  for (const size_t mb : {1, 10, 50}) {
    TSize& s = sizes.emplace_back();
    s.Mb = mb;
    s.Text = GenerateText(mb * 1'000'000, 100, unsigned(mb));
    s.Entries = SplitEntries(FindMarkedItems(s.Text, u"<<", u">>"));
  }
  for (int round = 0; round < 9; ++round) {
    for (TSize& s : sizes) {
      double step = 0, whole = 0;
      for (size_t i = 0; i < 50 / s.Mb; ++i) {
        step += StepwiseSeconds(s.Text, s.Entries);
        whole += WholeSeconds(s.Text);
      }
      s.Step.push_back(step / double(50 / s.Mb));
      s.Whole.push_back(whole / double(50 / s.Mb));
    }
  }
  auto best = [](std::vector<double> v) { return *std::min_element(v.begin(), v.end()); };
  auto middle = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  for (const TSize& s : sizes) {
    const double mb = double(s.Mb);
    std::printf("  %2zu M chars, %zu entries: step by step %.1f ms (%.2fx per MB, middle runs "
                "%.2fx), whole run %.1f ms (%.2fx per MB, middle runs %.2fx)\n",
                s.Mb, s.Entries.size(), 1e3 * best(s.Step), best(s.Step) / mb / best(sizes[0].Step),
                middle(s.Step) / mb / middle(sizes[0].Step), 1e3 * best(s.Whole),
                best(s.Whole) / mb / best(sizes[0].Whole),
                middle(s.Whole) / mb / middle(sizes[0].Whole));
  }
  sizes.clear();

  {
    const std::u16string text = GenerateText(1'000'000, 200, 7);
    auto entries = SplitEntries(FindMarkedItems(text, u"<<", u">>"));
    entries.resize(std::min<size_t>(entries.size(), 5000));
    const double step = std::min({StepwiseSeconds(text, entries), StepwiseSeconds(text, entries),
                                  StepwiseSeconds(text, entries)});
    const double whole = BestOf(2, [&] { (void)RewriteAll(text, entries, u"*"); });
    std::u16string literal;
    const double slow = BestOf(1, [&] {
      literal = text;
      for (const auto& e : entries)
        literal = ReplaceItem(literal, e, u"*");
    });
    const bool same = literal == RewriteAll(text, entries, u"*");
    std::printf(
        "  1 M chars, %zu entries: literal entry by entry %.3f s; step by step %.0fx faster, "
        "whole run %.0fx faster%s\n",
        entries.size(), slow, slow / step, slow / whole, same ? "" : " (RESULTS DIFFER)");
  }

  // The command against perl's single-pass substitution of the same file, for a file in the
  // 8-bit code page, one in UTF-8 without a mark and one in UTF-8 with LF line breaks.
  const fs::path dir = fs::temp_directory_path() / "textovrt-bench";
  fs::create_directories(dir / "out");
  struct TFile {
    const char* What;
    std::string Name;
  };
  const TFile files[] = {{"8-bit code page, CR LF", "cp1250.txt"},
                         {"UTF-8 without a mark, CR LF", "utf8.txt"},
                         {"UTF-8 without a mark, LF", "utf8-lf.txt"}};
  {
    const std::u16string text = GenerateText(50'000'000, 100, 50);
    std::printf("textovrt-cli on files of %zu M characters with %zu items, against perl "
                "(ratios of the same run)\n",
                text.size() / 1'000'000, FindMarkedItems(text, u"<<", u">>").size());
    const auto cp = OpenCodePage(1250);
    std::string bytes;
    cp->Encode(text, bytes);
    std::ofstream(dir / files[0].Name, std::ios::binary)
        .write(bytes.data(), std::streamsize(bytes.size()));
    bytes = Utf16ToUtf8(text);
    std::ofstream(dir / files[1].Name, std::ios::binary)
        .write(bytes.data(), std::streamsize(bytes.size()));
    bytes = ReplacedLineBreaks(bytes, "\n");
    std::ofstream(dir / files[2].Name, std::ios::binary)
        .write(bytes.data(), std::streamsize(bytes.size()));
  }
  int status = 0;
  // The processor time counts too: the command waits for its output to reach the disk before
  // it replaces anything, which perl does not.
  auto childCpu = [] {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
  };
  struct TTimes {
    std::vector<double> Wall, Cpu;
  };
  auto run = [&](const std::string& Command, TTimes& Times) {
    const double cpu = childCpu();
    const auto t = std::chrono::steady_clock::now();
    status |= std::system(Command.c_str());
    Times.Wall.push_back(Seconds(t));
    Times.Cpu.push_back(childCpu() - cpu);
  };
  for (const TFile& file : files) {
    const fs::path input = dir / file.Name;
    const std::string cli = std::string(TEXTOVRT_CLI) +
                            " --start '<<' --end '>>' --replace '*' --quiet --output-dir '" +
                            (dir / "out").string() + "' '" + input.string() + "'";
    const std::string perl = "perl -0777 -pe 's/<<.*?>>/*/gs' '" + input.string() + "' > '" +
                             (dir / "perl.txt").string() + "'";
    // Each command runs five times, in turns; the figures are the best and the middle run.
    TTimes perlTimes, cliTimes;
    for (int i = 0; i < 5; ++i) {
      run(perl, perlTimes);
      run(cli, cliTimes);
    }
    std::printf("  %s, %.0f MB:\n", file.What, double(fs::file_size(input)) / 1e6);
    std::printf("    time: perl %.2f s, textovrt-cli %.2f s: %.2fx (middle runs %.2fx)\n",
                best(perlTimes.Wall), best(cliTimes.Wall),
                best(cliTimes.Wall) / best(perlTimes.Wall),
                middle(cliTimes.Wall) / middle(perlTimes.Wall));
    std::printf("    processor time: perl %.2f s, textovrt-cli %.2f s: %.2fx (middle runs "
                "%.2fx)%s\n",
                best(perlTimes.Cpu), best(cliTimes.Cpu), best(cliTimes.Cpu) / best(perlTimes.Cpu),
                middle(cliTimes.Cpu) / middle(perlTimes.Cpu), status ? " (A COMMAND FAILED)" : "");
  }
  fs::remove_all(dir);
  return status ? 1 : 0;
}
