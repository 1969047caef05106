// textovrt-cli: the program's search-and-rewrite run over many files, saved automatically.
//
// Per file it does what the program does between loading and saving, without the wait and the
// windows: the file is read by its byte-order mark, as UTF-8 when its bytes are UTF-8, or in the
// 8-bit code page; the marked items are found and split into entries, and every entry is
// rewritten in order. Every byte outside the rewritten pieces stays as it was (the encoding and
// its mark, the line breaks): the markers' line breaks match any line break, and the
// replacement's are written as the file's own. With --like-program the result is saved as the
// program saves it instead. Saving goes through a temporary file, so that a failure never harms
// the old file.
#include "cli/un_cli.h"

#include "app/un_mainText.h"
#include "app/un_rewrite.h"
#include "app/un_textfile.h"

#include <charconv>
#include <filesystem>
#include <optional>
#include <set>

namespace textovrt {

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage =
    "Usage: textovrt-cli --start TEXT --end TEXT --replace TEXT\n"
    "                    [--in-place | --output-dir DIR] [--codepage N] [--like-program]\n"
    "                    [--dry-run] [--quiet] FILE...\n"
    "\n"
    "Rewrites every piece of each FILE that runs from the start marker to the next end marker\n"
    "to the replacement text, as the program's \"Vyhledat\" does, and saves the result.\n"
    "\n"
    "  --start TEXT      start marker\n"
    "  --end TEXT        end marker\n"
    "  --replace TEXT    replacement text (may be empty)\n"
    "                    In these three, \\n, \\r, \\t and \\\\ stand for a line break, a\n"
    "                    carriage return, a tab and a backslash. A line break of a marker\n"
    "                    matches any line break of the file; one of the replacement is\n"
    "                    written as the file's first line break (CR LF when it has none).\n"
    "  --in-place        save each file over itself\n"
    "  --output-dir DIR  save each result under its file name in DIR (created if missing)\n"
    "  --codepage N      read every file without a byte-order mark in this 8-bit code page\n"
    "                    (default: as UTF-8 when its bytes are UTF-8, otherwise in the\n"
    "                    system's code page, 1250 outside Windows)\n"
    "  --like-program    save as the program does: in the file's encoding with CR LF line\n"
    "                    breaks (by default every byte outside the rewritten pieces stays)\n"
    "  --dry-run         list each file's entries and their count; change nothing\n"
    "  --quiet           report errors only\n"
    "\n"
    "A file keeps its encoding; one whose new text does not fit its code page is saved as\n"
    "UTF-8 with a byte-order mark. A file in which nothing is found is left untouched; one\n"
    "that holds a NUL character is not a text file and is refused.\n"
    "Exit status: 0 when every file went well, 1 when any failed, 2 for a usage error.\n";

struct TOptions {
  std::string Start, End, Replace;
  bool HasStart = false, HasEnd = false, HasReplace = false;
  bool InPlace = false, DryRun = false, Quiet = false, LikeProgram = false;
  std::string OutputDir;
  bool HasOutputDir = false;
  unsigned CodePage = 0;
  std::vector<std::string> Files;
};

fs::path ToPath(const std::string& Utf8) {
  return fs::path(std::u8string(Utf8.begin(), Utf8.end()));
}

// An entry as one quoted line: backslash, quote and control characters escaped.
std::string Quoted(std::u16string_view Entry) {
  std::string out = "\"";
  for (const char c : Utf16ToUtf8(Entry)) {
    switch (c) {
    case '\\': out += "\\\\"; break;
    case '"': out += "\\\""; break;
    case '\t': out += "\\t"; break;
    case '\r': out += "\\r"; break;
    case '\n': out += "\\n"; break;
    default:
      if (static_cast<unsigned char>(c) < 0x20) {
        const char* hex = "0123456789ABCDEF";
        out += "\\x";
        out += hex[c >> 4];
        out += hex[c & 15];
      } else {
        out += c;
      }
    }
  }
  return out + "\"";
}

// Parses the arguments; returns an empty string or the reason they are wrong.
std::string Parse(const std::vector<std::string>& Args, TOptions& O, bool& Help) {
  bool onlyFiles = false;
  for (size_t i = 0; i < Args.size(); ++i) {
    std::string arg = Args[i];
    if (onlyFiles || arg.empty() || arg[0] != '-' || arg == "-") {
      O.Files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      onlyFiles = true;
      continue;
    }
    std::string value;
    bool hasValue = false;
    if (const size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg.resize(eq);
      hasValue = true;
    }
    auto takeValue = [&](std::string& Into) -> std::string {
      if (!hasValue) {
        if (i + 1 >= Args.size()) return "option " + arg + " needs a value";
        value = Args[++i];
      }
      Into = value;
      return {};
    };
    auto flag = [&](bool& Into) -> std::string {
      if (hasValue) return "option " + arg + " takes no value";
      Into = true;
      return {};
    };
    std::string error;
    if (arg == "--start") {
      error = takeValue(O.Start);
      O.HasStart = true;
    } else if (arg == "--end") {
      error = takeValue(O.End);
      O.HasEnd = true;
    } else if (arg == "--replace") {
      error = takeValue(O.Replace);
      O.HasReplace = true;
    } else if (arg == "--output-dir") {
      error = takeValue(O.OutputDir);
      O.HasOutputDir = true;
      if (error.empty() && O.OutputDir.empty()) error = "--output-dir needs a folder";
    } else if (arg == "--codepage") {
      std::string text;
      error = takeValue(text);
      if (error.empty()) {
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), O.CodePage);
        if (ec != std::errc() || end != text.data() + text.size() || O.CodePage == 0)
          error = "--codepage needs a code page number, not \"" + text + "\"";
      }
    } else if (arg == "--in-place") {
      error = flag(O.InPlace);
    } else if (arg == "--like-program") {
      error = flag(O.LikeProgram);
    } else if (arg == "--dry-run") {
      error = flag(O.DryRun);
    } else if (arg == "--quiet") {
      error = flag(O.Quiet);
    } else if (arg == "--help" || arg == "-h") {
      Help = true;
      return {};
    } else {
      error = "unknown option " + arg;
    }
    if (!error.empty()) return error;
  }
  if (!O.HasStart || !O.HasEnd || !O.HasReplace) return "--start, --end and --replace are required";
  if (O.InPlace && O.HasOutputDir) return "give either --in-place or --output-dir, not both";
  if (!O.DryRun && !O.InPlace && !O.HasOutputDir)
    return "give --in-place or --output-dir (or --dry-run)";
  if (O.Files.empty()) return "no file given";
  return {};
}

// The markers and the replacement in the code page, when it is a single-byte one with CR and
// LF as bytes 13 and 10 that holds all three: a file in that code page is then rewritten in its
// bytes, with the same result as in its decoded text.
struct TByteRun {
  std::string Start, End, Replacement;
};
std::optional<TByteRun> ByteRunFor(const TCodePage& CodePage, std::u16string_view Start,
                                   std::u16string_view End, std::u16string_view Replacement) {
  if (!CodePage.IsSingleByte() || CodePage.Decode("\r\n") != u"\r\n") return std::nullopt;
  TByteRun run;
  if (!CodePage.Encode(Start, run.Start) || !CodePage.Encode(End, run.End) ||
      !CodePage.Encode(Replacement, run.Replacement))
    return std::nullopt;
  return run;
}

// The line breaks of a text: the first one (empty when there is none) and whether they are all
// alike.
template <class C>
struct TLineBreaks {
  std::basic_string<C> First;
  bool Uniform = true;
  // The break that a replacement's line breaks are written as.
  std::basic_string<C> Written() const {
    return First.empty() ? std::basic_string<C>{C('\r'), C('\n')} : First;
  }
};
template <class C>
TLineBreaks<C> LineBreaksOf(std::basic_string_view<C> Text) {
  TLineBreaks<C> found;
  if (HasOnlyCrLf(Text)) {
    if (Text.find(C('\n')) != Text.npos) found.First = {C('\r'), C('\n')};
    return found;
  }
  // Not all CR LF: without a CR they are all LF, without an LF all CR.
  const bool hasCr = Text.find(C('\r')) != Text.npos, hasLf = Text.find(C('\n')) != Text.npos;
  if (!hasCr || !hasLf) {
    found.First = std::basic_string<C>(1, hasCr ? C('\r') : C('\n'));
    return found;
  }
  const C* p = Text.data();
  const size_t n = Text.size();
  int kind = 0; // 1 CR LF, 2 CR, 3 LF
  for (size_t i = 0; i < n; ++i) {
    int k;
    if (p[i] == C('\r')) {
      k = i + 1 < n && p[i + 1] == C('\n') ? 1 : 2;
      if (k == 1) ++i;
    } else if (p[i] == C('\n')) {
      k = 3;
    } else {
      continue;
    }
    if (kind == 0) {
      kind = k;
      found.First = k == 1 ? std::basic_string<C>{C('\r'), C('\n')}
                           : std::basic_string<C>(1, k == 2 ? C('\r') : C('\n'));
    } else if (k != kind) {
      found.Uniform = false;
      return found;
    }
  }
  return found;
}

// The progress of a run on standard error while that is a terminal: files done of all and the
// current file, on one line that each report clears first.
class TProgress {
public:
  TProgress(std::ostream& Err, bool Shown) : FErr(Err), FShown(Shown) {}
  ~TProgress() { Clear(); }
  void Show(size_t Done, size_t Count, const std::string& File) {
    if (!FShown) return;
    std::string line = "textovrt-cli: " + std::to_string(Done) + "/" + std::to_string(Count) + " ";
    // Kept to one line of a narrow console: the end of a long name tells most.
    constexpr size_t kWidth = 78;
    if (line.size() + File.size() > kWidth) {
      size_t from = File.size() - (kWidth - line.size() - 3);
      while (from < File.size() && (static_cast<unsigned char>(File[from]) & 0xC0) == 0x80)
        ++from; // not inside a UTF-8 character
      line += "..." + File.substr(from);
    } else {
      line += File;
    }
    const size_t width = Utf8ToUtf16(line).size();
    FErr << '\r' << line << std::string(FWidth > width ? FWidth - width : 0, ' ') << '\r';
    FErr.flush();
    FWidth = width;
  }
  // Clears the line before other output.
  void Clear() {
    if (!FShown || FWidth == 0) return;
    FErr << '\r' << std::string(FWidth, ' ') << '\r';
    FErr.flush();
    FWidth = 0;
  }

private:
  std::ostream& FErr;
  bool FShown;
  size_t FWidth = 0;
};

// A file worth showing progress for on its own takes more than a moment.
constexpr uintmax_t kLargeFile = uintmax_t(16) << 20;

} // namespace

std::string Unescape(const std::string& Text) {
  std::string out;
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] != '\\' || i + 1 == Text.size()) {
      out += Text[i];
      continue;
    }
    switch (Text[i + 1]) {
    case 'n': out += '\n'; break;
    case 'r': out += '\r'; break;
    case 't': out += '\t'; break;
    case '\\': out += '\\'; break;
    default: out += '\\'; continue;
    }
    ++i;
  }
  return out;
}

#ifndef _WIN32
std::vector<std::string> ExpandFileArgument(const std::string& Argument) {
  return {Argument};
}
#endif

int RunCli(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err,
           bool ShowProgress) {
  TOptions o;
  bool help = false;
  const std::string usageError = Parse(Args, o, help);
  if (help) {
    Out << kUsage;
    return 0;
  }
  if (!usageError.empty()) {
    Err << "textovrt-cli: " << usageError << "\n\n" << kUsage;
    return 2;
  }
  std::string error;
  const unsigned number = o.CodePage ? o.CodePage : SystemCodePage();
  const auto codePage = OpenCodePage(number, &error);
  if (!codePage) {
    Err << "textovrt-cli: " << error << "\n";
    return 2;
  }
  // Markers and replacement with CR LF line breaks, as the editor holds them; a file's own
  // line breaks are put in when it has but one kind.
  const std::u16string start = NormalizeLineBreaks(Utf8ToUtf16(Unescape(o.Start)));
  const std::u16string end = NormalizeLineBreaks(Utf8ToUtf16(Unescape(o.End)));
  const std::u16string replacement = NormalizeLineBreaks(Utf8ToUtf16(Unescape(o.Replace)));
  const bool detectUtf8 = o.CodePage == 0; // --codepage forces the 8-bit reading

  const std::optional<TByteRun> codePageRun = ByteRunFor(*codePage, start, end, replacement);
  const TByteRun utf8Run{Utf16ToUtf8(start), Utf16ToUtf8(end), Utf16ToUtf8(replacement)};

  bool failed = false;
  std::set<fs::path> written; // outputs of this run, so that no input overwrites another's
  // The file arguments with their wildcards expanded (where the shell leaves that to us).
  std::vector<std::pair<std::string, bool>> files; // name, or a pattern that matched nothing
  for (const std::string& file : o.Files) {
    std::vector<std::string> names = ExpandFileArgument(file);
    if (names.empty()) files.emplace_back(file, false);
    for (std::string& name : names)
      files.emplace_back(std::move(name), true);
  }
  TProgress progress(Err, ShowProgress);
  auto report = [&](std::ostream& Stream) -> std::ostream& {
    progress.Clear();
    return Stream;
  };
  for (size_t index = 0; index < files.size(); ++index) {
    const std::string& file = files[index].first;
    if (!files[index].second) {
      report(Err) << "textovrt-cli: no file matches \"" << file << "\"\n";
      failed = true;
      continue;
    }
    const fs::path path = ToPath(file);
    if (ShowProgress) {
      std::error_code ec;
      const uintmax_t size = fs::file_size(path, ec);
      if (files.size() > 1 || (!ec && size >= kLargeFile)) progress.Show(index, files.size(), file);
    }
    std::string bytes;
    if (const TTextFileError e = LoadFileBytes(path, bytes)) {
      report(Err) << "textovrt-cli: " << TextFileErrorMessage(e, path) << "\n";
      failed = true;
      continue;
    }
    size_t mark = 0;
    const TTextEncoding encoding = DetectEncoding(bytes, &mark, detectUtf8);
    if (const TTextFileError e = CheckIsText(bytes, encoding)) {
      report(Err) << "textovrt-cli: " << TextFileErrorMessage(e, path) << "\n";
      failed = true;
      continue;
    }
    if (o.DryRun) {
      std::u16string text = DecodeText(bytes, *codePage, nullptr, detectUtf8);
      std::string().swap(bytes);
      NormalizeLineBreaksOf(text);
      const auto entries = SplitEntries(FindMarkedItems(text, start, end));
      if (o.Quiet) continue;
      if (entries.empty()) {
        report(Out) << file << ": Žádné položky nenalezeny\n";
        continue;
      }
      report(Out) << file << ": Vyhledáno položek: " << entries.size() << "\n";
      for (const auto& entry : entries)
        Out << Quoted(entry) << "\n";
      continue;
    }
    // The output: the rewritten text, or its bytes when the run could work on them directly,
    // which are written out piece by piece as the run gives them after the file's mark.
    size_t count = 0;
    std::string encoded; // the text's bytes, once encoded
    TMarkedBytesRewrite bytesRewrite;
    bool inBytes = false;
    const std::string_view body = std::string_view(bytes).substr(mark);
    // Bytes equal characters where every byte is a character of the code page, and where
    // well-formed UTF-8 holds well-formed markers (a character's bytes never begin inside
    // another's): the run on the bytes is the run on the text.
    const TByteRun* byteRun = nullptr;
    if (encoding == TTextEncoding::teCodePage && codePageRun) byteRun = &*codePageRun;
    if ((encoding == TTextEncoding::teUtf8NoMark ||
         (encoding == TTextEncoding::teUtf8 && IsWellFormedUtf8(body))))
      byteRun = &utf8Run;
    std::string bytesStart, bytesEnd, bytesReplacement;
    if (byteRun) {
      std::string_view runBody = body;
      TLineBreaks<char> breaks;
      if (o.LikeProgram) {
        std::string normalized(body);
        NormalizeLineBreaksOf(normalized);
        bytes = std::string(bytes.substr(0, mark)) + normalized;
        runBody = std::string_view(bytes).substr(mark);
        breaks.First = "\r\n";
      } else {
        breaks = LineBreaksOf(runBody);
      }
      if (breaks.Uniform) {
        bytesStart = ReplacedLineBreaks(byteRun->Start, breaks.Written());
        bytesEnd = ReplacedLineBreaks(byteRun->End, breaks.Written());
        bytesReplacement = ReplacedLineBreaks(byteRun->Replacement, breaks.Written());
        inBytes = bytesRewrite.Prepare(runBody, bytesStart, bytesEnd, bytesReplacement);
      }
      if (inBytes) count = bytesRewrite.EntryCount();
      // Bytes without a mark that would read back as one are saved as text (which the
      // encoding's rules then save with a mark).
      if (inBytes && mark == 0) {
        std::string head;
        bytesRewrite.Write([&](std::string_view Piece) {
          head.append(Piece.substr(0, std::min<size_t>(Piece.size(), 4 - head.size())));
          return head.size() < 4;
        });
        if (HasByteOrderMark(head)) inBytes = false;
      }
    }
    if (!inBytes) {
      TTextEncoding found;
      std::u16string text = DecodeText(bytes, *codePage, &found, detectUtf8);
      std::string().swap(bytes);
      if (o.LikeProgram) NormalizeLineBreaksOf(text);
      const TLineBreaks<char16_t> breaks = LineBreaksOf(std::u16string_view(text));
      try {
        std::u16string result;
        if (breaks.Uniform) {
          const std::u16string written = breaks.Written();
          result = RewriteMarkedItems(text, ReplacedLineBreaks(start, written),
                                      ReplacedLineBreaks(end, written),
                                      ReplacedLineBreaks(replacement, written), &count);
        } else {
          // Mixed line breaks: the items are found as the editor holds the text, and their
          // entries, which never hold a line break, are rewritten in the text as it is.
          const std::vector<std::u16string> entries =
              SplitEntries(FindMarkedItems(NormalizeLineBreaks(text), start, end));
          count = entries.size();
          if (count > 0)
            result = RewriteAll(std::move(text), entries,
                                ReplacedLineBreaks(replacement, breaks.Written()));
        }
        if (count > 0) encoded = EncodeText(result, *codePage, found);
      } catch (const ERewriteLimit& e) {
        report(Err) << "textovrt-cli: " << file << ": " << e.what() << "\n";
        failed = true;
        continue;
      }
    }
    if (count == 0) {
      if (!o.Quiet) report(Out) << file << ": Žádné položky nenalezeny\n";
      continue;
    }
    fs::path target = path;
    if (o.HasOutputDir) {
      target = ToPath(o.OutputDir) / path.filename();
      std::error_code ec;
      fs::create_directories(ToPath(o.OutputDir), ec);
      if (!written.insert(fs::weakly_canonical(target, ec)).second) {
        TTextFileError e{TTextFileErrorKind::tfeCannotCreate,
                         "Another input file of the same name was saved there already.", 0};
        report(Err) << "textovrt-cli: " << TextFileErrorMessage(e, target) << "\n";
        failed = true;
        continue;
      }
    }
    const TTextFileError e =
        inBytes ? SaveEncodedText(target,
                                  [&](const os::TByteWriter& Write) {
                                    if (Write(std::string_view(bytes).substr(0, mark)))
                                      bytesRewrite.Write(Write);
                                  })
                : SaveEncodedText(target, encoded);
    if (e) {
      report(Err) << "textovrt-cli: " << TextFileErrorMessage(e, target) << "\n";
      failed = true;
      continue;
    }
    if (!o.Quiet) report(Out) << file << ": Přepsáno: " << count << " položek z " << count << "\n";
  }
  return failed ? 1 : 0;
}

} // namespace textovrt
