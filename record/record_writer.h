// Writing the record as text: the game-record format (ZRF, one numbered move
// per line with times, variations after the line they leave) and the
// move-list format (ZR2, several moves to a line), in UTF-8 or the ANSI code
// page; and the pieces the other record and position writers share: the one
// text-output routine, the board diagram and the hand line.
#pragma once
#include <cstdarg>
#include <cstdint>
#include <string>
#include <string_view>

#include "record/atomic_file.h"

struct BoardState;
struct RecordNode;

// An output text file of the record writers. In UTF-8 mode the file starts
// with a byte-order mark; every LF written becomes CR LF. The text is kept
// in memory and goes to the file in one write when it is closed (a megabyte
// at a time for a larger one), so a full disk shows at Close. The file replaces what was at the path only when Close
// succeeds; until then, and on any failure, the old file stays.
class RecordTextFile {
public:
  RecordTextFile() = default;
  RecordTextFile(const RecordTextFile&) = delete;
  RecordTextFile& operator=(const RecordTextFile&) = delete;
  ~RecordTextFile();

  // Starts the file. False when it cannot be created.
  bool Open(std::u16string_view path, bool utf8);
  // Collects the bytes in memory instead (Bytes()); the same text as a file.
  void OpenMemory(bool utf8);
  bool IsOpen() const { return file_.IsOpen() || memory_; }
  bool IsUtf8() const { return utf8_; }
  bool Failed() const { return failed_; }

  // Writes the text, UTF-8 when utf8 is set, else in code page 932. The
  // number of bytes written, or -1 when the write failed.
  int Write(std::u16string_view text, bool utf8);
  int Write(std::u16string_view text) { return Write(text, utf8_); }
  // printf style as WriteRecordText.
  int WriteFormatV(bool utf8, const char16_t* format, va_list args);

  // Closes the file and puts it in place: 0, or -1 when a write or the close
  // itself failed (a full disk may show only here, when the last buffer is
  // flushed).
  int Close();

  // What a memory output holds so far.
  const std::string& Bytes() const {
    ConvertPending();
    bytes_.resize(used_);
    return bytes_;
  }

  // For a writer that puts UTF-8 bytes in place itself: room for n more
  // bytes at the end of the text, then Done with the end of what it put
  // there. Nothing else may be written in between.
  char* Room(size_t n) {
    if (!pending_.empty()) ConvertPending();
    return Reserve(n);
  }
  void Done(const char* end) {
    used_ = size_t(end - bytes_.data());
    if (used_ >= kFlushBytes) FlushLarge();
  }

private:
  // A large file goes out a megabyte at a time: the buffer stays small and
  // warm, and the cost per line stays the same however long the record.
  static constexpr size_t kFlushBytes = 1 << 20;

  // Code page 932 text waits as UTF-16 and is converted in one go.
  void ConvertPending() const;
  // The output is empty and open in that encoding.
  void Start(bool utf8);
  char* Reserve(size_t n) const {
    if (bytes_.size() - used_ < n) Grow(n);
    return bytes_.data() + used_;
  }
  void Grow(size_t n) const;
  void FlushLarge();

  AtomicFile file_;
  bool memory_ = false;
  bool utf8_ = false;
  bool failed_ = false;
  // The text is bytes_[0, used_); the rest of bytes_ is room for more, so
  // that writing in place needs no resize.
  mutable std::string bytes_;
  mutable size_t used_ = 0;
  mutable std::u16string pending_;
  std::u16string formatted_;  // reused by WriteFormatV
};

// The one text-output routine of the record and position writers: printf
// style as FormatU16 (%s takes const char16_t*); callers keep the text of one
// call within 1023 UTF-16 units. Written as UTF-8 when utf8 is set, else
// converted to code page 932. The number of bytes written, negative on failure.
int WriteRecordText(bool utf8, RecordTextFile& file, const char16_t* format, ...);

// Text built with CR LF line ends (the clipboard's form) written to the
// file, which makes its own CR of each LF. The number of bytes written, or -1.
int WriteCrLfText(RecordTextFile& file, std::u16string_view text, bool utf8);

// The whole record in ZRF to a new file at path. 0 written (the change
// counter becomes 0); -1 the file cannot be created; 2 a write failed (the
// change counter stays as it was).
int WriteZrfRecord(bool utf8, std::u16string_view path);
// The same into an open output (undo snapshots, clipboard, tests): 0 or 2.
// The change counter is left alone.
int WriteZrfText(bool utf8, RecordTextFile& file);

// The record in ZR2 after the format line, which the caller has written in
// UTF-8 mode ("#ZR2 version=2.0 encoding=UTF-8\n"; none in the ANSI code
// page). noTurn leaves out the 盤面回転 line (mail texts). 0, or 2 when a
// write failed. The file stays open and the change counter is left alone.
int WriteZr2Record(RecordTextFile& file, bool utf8, bool noTurn);
// A whole ZR2 file: created, the format line in UTF-8 mode, WriteZr2Record,
// closed. 0 (the change counter becomes 0), -1 cannot be created, 2 a write
// failed.
int WriteZr2File(bool utf8, std::u16string_view path);

// The diagram block: the second player's hand line, the file numbers, the
// frame and nine ranks, the first player's hand line.
void WriteBoardDiagram(bool utf8, RecordTextFile& file, const BoardState& board);
// File numbers, frame and the nine ranks, each line ended by eol.
void AppendBoardGrid(std::u16string& text, const BoardState& board, std::u16string_view eol);
// The diagram of g_StartBoard and, when its side to move is not the usual
// one, "下手番" (a handicap game the first player starts) or "後手番".
void WriteStartDiagram(bool utf8, RecordTextFile& file);
// "先手の持駒：..." (下手 in a handicap game) for side 128, "後手の持駒：..."
// (上手) for side 0.
void WriteHandLine(bool utf8, RecordTextFile& file, const BoardState& board, int side);
// The text of that line without its LF (also used by the clipboard).
std::u16string FormatHandLine(const BoardState& board, int side);
// The header items that are set, in the order of the record files.
void WriteHeaderLines(bool utf8, RecordTextFile& file);
// 0 no user-defined item has this name, 1 one has it with an empty value,
// 2 one has it with a value.
int GetHeaderItemState(std::u16string_view name);
// The comment as "*" lines, wrapped by the settings コメント自動改行 and
// コメント改行桁 (UTF-16 units in UTF-8 mode, bytes in the ANSI code page; a
// surrogate pair or a double-byte character is never split).
void WriteCommentLines(bool utf8, RecordTextFile& file, std::u16string_view comment);
// The ZRF move lines from node (move number n), each variation after the
// end of the line it leaves. 0, or 2 when a write failed.
int WriteMoveLines(bool utf8, RecordTextFile& file, const RecordNode* node, int n);
// The ZR2 moves from node (move number n) with the width already used on the
// current text line and the column of the next move. 0, or 2.
int WriteZr2Moves(bool utf8, RecordTextFile& file, const RecordNode* node, int n, int width,
                  int column);
// One move as the ZR2 file writes it (style and half width from the
// settings), prevTo being the parent's destination.
std::u16string Zr2MoveText(const RecordNode* node, int prevTo);
// The closing line of a line of play that ends at node (move number n):
// an empty line after a board move, else "まで..." naming the result.
void WriteResultLine(RecordTextFile& file, const RecordNode* node, int n);
std::u16string FormatResultLine(const RecordNode* node, int n);
// " 0:05/00:00:05": the move's minutes and seconds, then the mover's total
// (hours modulo 100).
std::u16string FormatMoveTime(const RecordNode* node);
std::u16string FormatMoveTime(int seconds, int64_t cumulative);
// Copy of a comment for a multi-line edit box: each LF preceded by CR, at
// most 32766 units.
std::u16string LfToCrLf(std::u16string_view source);
