// The options text of a skin: INI text held in memory, read as the toolkit's string list reads
// a file, and the number conversions the options use.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A text that is not a number where one is required.
class EConvertError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Decimal, or hexadecimal after "$" or "0x"; an optional sign; no blanks. Hexadecimal values
// up to FFFFFFFF wrap into the 32-bit signed range, as colours are written.
bool TryStrToInt(std::string_view S, int& Value);
// As TryStrToInt; fails with EConvertError "'S' is not a valid integer value".
int StrToInt(std::string_view S);
int StrToIntDef(std::string_view S, int Default);
// A decimal fraction with "." as the separator whatever the locale ("8.00", "-1.5", "7").
bool TryStrToFloatDot(std::string_view S, double& Value);
// The version as text with "." as the separator and at least one decimal ("8.0", "8.41").
std::string FloatToStrDot(double Value);
// Drops characters up to and including the blank (codes 0..32) at both ends.
std::string_view TrimBlanks(std::string_view S);

// The options in memory: sections in file order, each with its lines "name=value" in order.
// Section and key names are matched case-sensitively and exactly; the first of two sections
// (or keys) with the same name is the one that is read.
class TkvMemIniFile {
public:
  struct TKey {
    std::string Name;
    std::string Value;
  };
  struct TSection {
    std::string Name;
    std::vector<TKey> Keys;
    int Line = 0; // 1-based line of the section's header
  };

  TkvMemIniFile() = default;
  // Reads the text: a byte-order mark of UTF-8 or UTF-16 is honoured (the text is kept as
  // UTF-8 then); any other text is kept as its 8-bit bytes. Lines end at CR LF, CR or LF;
  // blank lines and lines starting with ";" are dropped; blanks around names and values are
  // dropped; lines before the first section are ignored.
  explicit TkvMemIniFile(std::string_view Text) { SetText(Text); }
  void SetText(std::string_view Text);
  // Reads lines as they are (already decoded).
  void SetLines(const std::vector<std::string>& Lines);

  const std::vector<TSection>& Sections() const { return FSections; }
  bool SectionExists(std::string_view Section) const { return FindSection(Section) != nullptr; }
  const TSection* FindSection(std::string_view Section) const;
  // The value of the key, or null when the section or the key is missing.
  const std::string* FindValue(std::string_view Section, std::string_view Key) const;
  bool ValueExists(std::string_view Section, std::string_view Key) const {
    return FindValue(Section, Key) != nullptr;
  }

  std::string ReadString(std::string_view Section, std::string_view Key,
                         std::string_view Default) const;
  // The value as an integer; Default when missing or not a number.
  int ReadInteger(std::string_view Section, std::string_view Key, int Default) const;
  // True when the value, upper-cased, is "1" or "TRUE".
  bool ReadBool(std::string_view Section, std::string_view Key, bool Default) const;
  // The section names in file order (a repeated name appears each time).
  std::vector<std::string> ReadSections() const;
  // The key names of the first section of that name, in order.
  std::vector<std::string> ReadSection(std::string_view Section) const;

private:
  void AddLine(std::string_view Line, int LineNo);

  std::vector<TSection> FSections;
  std::unordered_map<std::string, size_t> FIndex; // first section of each name
  TSection* FCurrent = nullptr;
};

// True when the value, upper-cased, is "1" or "TRUE".
bool IsTrueText(std::string_view Value);
