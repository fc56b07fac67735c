// FTP upload destinations: the table the FTP page edits and the upload
// reads, kept in "ftp.env" beside the settings file.
#pragma once
#include <string>
#include <string_view>

constexpr int kFtpMaxDestinations = 49;
constexpr size_t kFtpFieldCapacity = 512;  // fields of at most 511 units

struct FtpDestination {
  std::u16string name, server, user, password, folder;  // password as typed
  int passive = 1;
  int selected = 0;  // upload to this destination
};

struct FtpTable {
  int count = 0;
  int selectedIndex = -1;  // the entry last added, moved or chosen; -1 none
  FtpDestination entries[kFtpMaxDestinations + 1];
};

extern FtpTable g_FtpTable;

// The index of the entry of that name, -1 when none.
int FindFtpDestination(const FtpTable& table, std::u16string_view name);
// 1 replaced (same name; its selected flag kept), 2 appended (selected),
// -1 an empty name or a field of 511 units or more, -2 the table is full.
int AddFtpDestination(FtpTable& table, const FtpDestination& destination);
// -1 for an index outside the table; else the gap closed, no selection.
int DeleteFtpDestination(int index, FtpTable& table = g_FtpTable);
// The first selected entry swapped with the one before / after it; -1 when
// nothing moves.
int MoveFtpDestinationUp(FtpTable& table = g_FtpTable);
int MoveFtpDestinationDown(FtpTable& table = g_FtpTable);

// The value of a "key : value" line: empty after a bare colon; a quoted
// value runs to the last double quote of the line (a stored password may
// itself hold quotes); otherwise from two places after the colon to the end.
std::u16string GetFtpEnvValue(std::u16string_view line);
// The stored form of a password and back (the same transformation).
std::u16string ScrambleFtpPassword(std::u16string_view source);
// true when every character survives the stored form (32..126).
bool IsStorableFtpPassword(std::u16string_view password);

// "ftp.env" of the data folder, else of the program folder. -1 when neither exists.
int ReadFtpEnv();
int ReadFtpEnvFrom(std::u16string_view path, FtpTable& table);
// The table in the file's format (UTF-8, LF line ends).
std::string FormatFtpEnv(const FtpTable& table);
// Written to the data folder, readable by the user alone. -1 on failure.
int WriteFtpEnv();
std::u16string FtpEnvPath();
