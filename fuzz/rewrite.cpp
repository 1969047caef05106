// Fuzz target of the rewrite run: every way of running it gives what ReplaceItem gives entry by
// entry, and the edits of each step rebuild the text. The input picks the markers, the
// replacement and the text from a small alphabet, so that occurrences overlap and form often.
#include "app/un_mainText.h"
#include "app/un_rewrite.h"
#include "app/un_textfile.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace textovrt;

// Parts separated by byte 0, each byte mapped into the alphabet.
std::vector<std::u16string> Parts(const uint8_t* Data, size_t Size) {
  static const char16_t alphabet[] = u"[]ab\r\nř*";
  std::vector<std::u16string> parts(1);
  for (size_t i = 0; i < Size && parts.size() <= 4; ++i) {
    if (Data[i] == 0) {
      parts.emplace_back();
      continue;
    }
    parts.back() += alphabet[Data[i] % 8];
  }
  parts.resize(4);
  return parts;
}

// Limits that keep a self-multiplying cascade short; the rules are the same at any size. No
// input reaches the length by replacements that cannot form occurrences (at most 400
// characters, each replaced by at most 400).
TRewriteLimits Limits() {
  TRewriteLimits limits;
  limits.MaxTextLength = 1000000;
  limits.MaxReplacements = 100000;
  return limits;
}

void Check(bool Condition) {
  if (!Condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 400) return 0;
  const std::vector<std::u16string> parts = Parts(data, size);
  const std::u16string &sm = parts[0], &em = parts[1], &repl = parts[2];
  const std::u16string text = NormalizeLineBreaks(parts[3]);
  const std::vector<std::u16string> entries = SplitEntries(FindMarkedItems(text, sm, em));

  std::u16string expected = text;
  bool limit = false;
  try {
    for (const auto& e : entries)
      expected = ReplaceItem(expected, e, repl, Limits());
  } catch (const ERewriteLimit&) {
    limit = true;
  }

  size_t count = 0;
  try {
    Check(!limit && RewriteMarkedItems(text, sm, em, repl, &count, Limits()) == expected);
    Check(count == entries.size());
  } catch (const ERewriteLimit&) {
    Check(limit);
  }

  for (const bool hinted : {false, true}) {
    TRewriteRun run(text, entries, hinted ? std::u16string_view(sm) : std::u16string_view(),
                    hinted ? std::u16string_view(em) : std::u16string_view());
    run.SetLimits(Limits());
    std::u16string mirrored = text;
    try {
      while (!run.Finished()) {
        std::vector<TTextEdit> edits;
        run.Step(repl, &edits);
        for (const TTextEdit& e : edits)
          mirrored.replace(e.Position, e.RemovedLength, e.Inserted);
      }
      Check(!limit && run.Text() == expected && mirrored == expected);
    } catch (const ERewriteLimit&) {
      Check(limit);
    }
  }

  static const auto cp = BuiltInCodePage1250();
  std::string bytes, sb, eb, rb, result;
  if (!limit && cp->Encode(text, bytes) && cp->Encode(sm, sb) && cp->Encode(em, eb) &&
      cp->Encode(repl, rb) && RewriteMarkedBytes(bytes, sb, eb, rb, result)) {
    std::string want;
    cp->Encode(expected, want);
    Check(result == want);
  }
  return 0;
}
