// textovrt-cli: the program's search-and-rewrite run over many files, saved automatically.
//
// Per file it does what the program does between loading and saving, without the wait and the
// windows: the file is loaded by its byte-order mark or the 8-bit code page, its line breaks
// become CR LF as in the editor, the marked items are found and split into entries, and every
// entry is rewritten in order; the result is saved in the code page when it fits, otherwise in
// UTF-8 with a mark, through a temporary file so that a failure never harms the old file.
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
    "                    [--in-place | --output-dir DIR] [--codepage N] [--dry-run] [--quiet]\n"
    "                    FILE...\n"
    "\n"
    "Rewrites every piece of each FILE that runs from the start marker to the next end marker\n"
    "to the replacement text, as the program's \"Vyhledat\" does, and saves the result.\n"
    "\n"
    "  --start TEXT      start marker\n"
    "  --end TEXT        end marker\n"
    "  --replace TEXT    replacement text (may be empty)\n"
    "                    In these three, \\n, \\r, \\t and \\\\ stand for a line break, a "
    "carriage\n"
    "                    return, a tab and a backslash; any line break matches the file's.\n"
    "  --in-place        save each file over itself\n"
    "  --output-dir DIR  save each result under its file name in DIR (created if missing)\n"
    "  --codepage N      8-bit code page of files without a byte-order mark, and of the saved\n"
    "                    files (default: the system's, 1250 outside Windows)\n"
    "  --dry-run         list each file's entries and their count; change nothing\n"
    "  --quiet           report errors only\n"
    "\n"
    "A file whose text does not fit the code page is saved as UTF-8 with a byte-order mark.\n"
    "A file in which nothing is found is left untouched.\n"
    "Exit status: 0 when every file went well, 1 when any failed, 2 for a usage error.\n";

struct TOptions {
  std::string Start, End, Replace;
  bool HasStart = false, HasEnd = false, HasReplace = false;
  bool InPlace = false, DryRun = false, Quiet = false;
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
// LF as bytes 13 and 10 that holds all three: a file without a byte-order mark is then
// rewritten in its bytes, with the same result as in its decoded text, and saved as it is.
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

int RunCli(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
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
  // Markers and replacement hold line breaks as the text does after loading: CR LF.
  const std::u16string start = NormalizeLineBreaks(Utf8ToUtf16(Unescape(o.Start)));
  const std::u16string end = NormalizeLineBreaks(Utf8ToUtf16(Unescape(o.End)));
  const std::u16string replacement = NormalizeLineBreaks(Utf8ToUtf16(Unescape(o.Replace)));

  const std::optional<TByteRun> bytesRun = ByteRunFor(*codePage, start, end, replacement);

  bool failed = false;
  std::set<fs::path> written; // outputs of this run, so that no input overwrites another's
  for (const std::string& file : o.Files) {
    const fs::path path = ToPath(file);
    std::string bytes;
    if (const TTextFileError e = LoadFileBytes(path, bytes)) {
      Err << "textovrt-cli: " << TextFileErrorMessage(e, path) << "\n";
      failed = true;
      continue;
    }
    // The output: the rewritten text, or its bytes when the run could work on them directly,
    // which are written out piece by piece as the run gives them.
    size_t count = 0;
    std::u16string result;
    TMarkedBytesRewrite bytesRewrite;
    bool inBytes = false;
    if (!o.DryRun && bytesRun && !HasByteOrderMark(bytes)) {
      NormalizeLineBreaksOf(bytes);
      inBytes = bytesRewrite.Prepare(bytes, bytesRun->Start, bytesRun->End, bytesRun->Replacement);
      if (inBytes) count = bytesRewrite.EntryCount();
      // Bytes that would read back as a byte-order mark are saved as text (in UTF-8).
      std::string head;
      if (inBytes)
        bytesRewrite.Write([&](std::string_view Piece) {
          head.append(Piece.substr(0, std::min<size_t>(Piece.size(), 4 - head.size())));
          return head.size() < 4;
        });
      if (inBytes && HasByteOrderMark(head)) {
        result = codePage->Decode(bytesRewrite.Text());
        inBytes = false;
      }
    }
    if (!inBytes && result.empty()) {
      std::u16string text = DecodeText(bytes, *codePage);
      std::string().swap(bytes);
      NormalizeLineBreaksOf(text);
      if (o.DryRun) {
        const auto entries = SplitEntries(FindMarkedItems(text, start, end));
        if (o.Quiet) continue;
        if (entries.empty()) {
          Out << file << ": Žádné položky nenalezeny\n";
          continue;
        }
        Out << file << ": Vyhledáno položek: " << entries.size() << "\n";
        for (const auto& entry : entries)
          Out << Quoted(entry) << "\n";
        continue;
      }
      try {
        result = RewriteMarkedItems(text, start, end, replacement, &count);
      } catch (const ERewriteLimit& e) {
        Err << "textovrt-cli: " << file << ": " << e.what() << "\n";
        failed = true;
        continue;
      }
    }
    if (count == 0) {
      if (!o.Quiet) Out << file << ": Žádné položky nenalezeny\n";
      continue;
    }
    fs::path target = path;
    if (o.HasOutputDir) {
      target = ToPath(o.OutputDir) / path.filename();
      std::error_code ec;
      fs::create_directories(ToPath(o.OutputDir), ec);
      if (!written.insert(fs::weakly_canonical(target, ec)).second) {
        TTextFileError e{TTextFileErrorKind::tfeCannotCreate,
                         "Another input file of the same name was saved there already."};
        Err << "textovrt-cli: " << TextFileErrorMessage(e, target) << "\n";
        failed = true;
        continue;
      }
    }
    const TTextFileError e =
        inBytes ? SaveEncodedText(target,
                                  [&](const os::TByteWriter& Write) { bytesRewrite.Write(Write); })
                : SaveTextFile(target, result, *codePage);
    if (e) {
      Err << "textovrt-cli: " << TextFileErrorMessage(e, target) << "\n";
      failed = true;
      continue;
    }
    if (!o.Quiet) Out << file << ": Přepsáno: " << count << " položek z " << count << "\n";
  }
  return failed ? 1 : 0;
}

} // namespace textovrt
