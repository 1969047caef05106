// The rewrite run: applies the entries of the item list to a text one after the other, each with
// exactly the result of ReplaceItem on the text that the entries before it left, and reports
// the edits of every entry so that an editor can mirror them.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/un_mainText.h"

namespace textovrt {

// The entries of the item list: the items joined, each followed by a line break, and split into
// lines (at CR LF, CR or LF); the empty line after the last line break is not an entry. An item
// that spans lines gives one entry per line, and an empty line inside it an empty entry.
std::vector<std::u16string> SplitEntries(const std::vector<std::u16string>& Items);

// One change of the text: RemovedLength characters at Position (0-based, in the text as it
// stands just before this edit) were replaced by Inserted.
struct TTextEdit {
  size_t Position = 0;
  size_t RemovedLength = 0;
  std::u16string Inserted;
  // Whether the removed characters held a line break (CR or LF), also true where that is not
  // known (an edit of the whole text): the editor need not read them back to learn whether
  // lines came or went.
  bool RemovedLineBreak = false;
};

// Whether Text holds a line break (CR or LF).
bool HasLineBreak(std::u16string_view Text);

// Applies the entries in order. Each Step() rewrites every occurrence of the next entry with
// ReplaceItem's rules (leftmost first, occurrences formed by a replacement included; one pass
// from left to right when the replacement contains the entry), without scanning or copying the
// whole text per entry: occurrences of every entry are found once, and after that only around
// the places that a replacement changed. Cost grows with the text plus the total size of the
// entries and the replacements written; memory stays within a small multiple of the text.
// Text() and Length() are the text after the entries applied so far.
class TRewriteRun {
public:
  // The markers, when given, tell where entries that begin or end with them, or that are whole
  // items of them, can occur (any markers give the same run; the marker search's own make
  // finding the occurrences much cheaper).
  TRewriteRun(std::u16string Text, std::vector<std::u16string> Entries,
              std::u16string_view StartMarker = {}, std::u16string_view EndMarker = {});
  ~TRewriteRun();
  TRewriteRun(const TRewriteRun&) = delete;
  TRewriteRun& operator=(const TRewriteRun&) = delete;

  size_t Count() const; // number of entries
  size_t Done() const;  // entries applied so far
  bool Finished() const { return Done() == Count(); }

  // The limits of ReplaceItem that every later step keeps to.
  void SetLimits(const TRewriteLimits& Limits);

  // Applies entry Done() with Replacement (which may differ from step to step) and appends its
  // edits, in the order made, to *Edits when given (a step of very many replacements, a long
  // cascade above all, gives one edit of the whole text instead). Returns the number of edits. When
  // the entry would make the text longer than the limit, or its replacements keep forming new
  // occurrences past the limit (see ReplaceItem), it throws ERewriteLimit: that entry is then
  // undone, nothing is appended, and the run cannot go on (later calls throw
  // std::logic_error), so Text() is the text as the entries before it left it.
  size_t Step(std::u16string_view Replacement, std::vector<TTextEdit>* Edits = nullptr);

  size_t Length() const;       // length of the current text
  std::u16string Text() const; // the current text (built anew on each call)

private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

// Runs every entry with the same replacement and returns the final text. When the replacement
// cannot form new occurrences (it is not empty and none of its characters occurs in any entry),
// the occurrences of the text are found once and the entries choose among them in one sweep,
// which gives the same text without the run's bookkeeping.
std::u16string RewriteAll(std::u16string Text, std::vector<std::u16string> Entries,
                          std::u16string_view Replacement, const TRewriteLimits& Limits = {});

// The command's whole run on one text: the items of FindMarkedItems, their entries and every
// entry rewritten with Replacement, as RewriteAll does; *EntryCount receives the number of
// entries. An item's whole text occurs only where an equal item was found, so the occurrences
// of single-line items come from the search itself and only the other entries are looked for.
std::u16string RewriteMarkedItems(std::u16string_view Text, std::u16string_view StartMarker,
                                  std::u16string_view EndMarker, std::u16string_view Replacement,
                                  size_t* EntryCount = nullptr, const TRewriteLimits& Limits = {});

// The same run on the bytes of a text in a single-byte code page that maps every byte to a
// character of its own and back, with CR and LF as bytes 13 and 10: the markers and the
// replacement are in that code page too, so equal bytes are equal characters and the result
// is RewriteMarkedItems' on the decoded text, encoded. Only when the replacement cannot form
// occurrences (it is not empty and holds no character of an entry); otherwise it returns false
// and leaves Result alone.
bool RewriteMarkedBytes(std::string_view Text, std::string_view StartMarker,
                        std::string_view EndMarker, std::string_view Replacement,
                        std::string& Result, size_t* EntryCount = nullptr);

// The same run in two steps, so that a large result can be written out piece by piece instead
// of being held whole. Prepare finds the entries and the places they replace, and returns false
// (and must not be followed by the others) when the replacement can form occurrences. The text
// and the replacement given to it must outlive the object.
class TMarkedBytesRewrite {
public:
  TMarkedBytesRewrite();
  ~TMarkedBytesRewrite();
  TMarkedBytesRewrite(const TMarkedBytesRewrite&) = delete;
  TMarkedBytesRewrite& operator=(const TMarkedBytesRewrite&) = delete;

  bool Prepare(std::string_view Text, std::string_view StartMarker, std::string_view EndMarker,
               std::string_view Replacement);
  size_t EntryCount() const;
  // Gives the rewritten text to Piece in order, piece by piece, until Piece returns false.
  void Write(const std::function<bool(std::string_view)>& Piece) const;
  std::string Text() const; // the rewritten text whole

private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

} // namespace textovrt
