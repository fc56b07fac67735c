// The FTP destination table and its file: the operations, the stored
// password form, the file line by line and what a hand-edited file gives.
#include "settings/ftp_env.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "record/text.h"
#include "settings/folders.h"

namespace {

FtpDestination Dest(const char16_t* name, const char16_t* server = u"ftp.example.jp") {
  FtpDestination d;
  d.name = name;
  d.server = server;
  d.user = u"taro";
  d.password = u"abc";
  d.folder = u"public_html/kifu";
  d.passive = 1;
  return d;
}

std::u16string Names(const FtpTable& t) {
  std::u16string out;
  for (int i = 0; i < t.count; ++i) out += t.entries[i].name + (t.entries[i].selected ? u"*" : u"") + u" ";
  return out + FormatU16(u"[%d]", t.selectedIndex);
}

TEST(FtpTableTest, Operations) {
  FtpTable t;
  EXPECT_EQ(AddFtpDestination(t, Dest(u"A")), 2);
  EXPECT_EQ(AddFtpDestination(t, Dest(u"B")), 2);
  EXPECT_EQ(AddFtpDestination(t, Dest(u"C")), 2);
  EXPECT_EQ(Names(t), u"A* B* C* [2]");
  t.entries[1].selected = 0;
  FtpDestination changed = Dest(u"B", u"other.example.jp");
  changed.selected = 1;
  EXPECT_EQ(AddFtpDestination(t, changed), 1);  // in place, its selection kept
  EXPECT_EQ(t.entries[1].server, u"other.example.jp");
  EXPECT_EQ(Names(t), u"A* B C* [2]");
  EXPECT_EQ(AddFtpDestination(t, Dest(u"")), -1);
  FtpDestination longField = Dest(u"D");
  longField.folder.assign(511, u'x');
  EXPECT_EQ(AddFtpDestination(t, longField), -1);

  t.entries[0].selected = 0;  // C is the first selected
  EXPECT_EQ(MoveFtpDestinationUp(t), 0);
  EXPECT_EQ(Names(t), u"A C* B [1]");
  EXPECT_EQ(MoveFtpDestinationUp(t), 0);
  EXPECT_EQ(MoveFtpDestinationUp(t), -1);
  EXPECT_EQ(Names(t), u"C* A B [0]");
  EXPECT_EQ(MoveFtpDestinationDown(t), 0);
  EXPECT_EQ(Names(t), u"A C* B [1]");
  EXPECT_EQ(DeleteFtpDestination(1, t), 0);
  EXPECT_EQ(Names(t), u"A B [-1]");
  EXPECT_EQ(DeleteFtpDestination(-1, t), -1);
  EXPECT_EQ(MoveFtpDestinationDown(t), -1);

  FtpTable full;
  for (int i = 0; i < kFtpMaxDestinations; ++i)
    ASSERT_EQ(AddFtpDestination(full, Dest(FormatU16(u"%d", i).c_str())), 2);
  EXPECT_EQ(AddFtpDestination(full, Dest(u"50番目")), -2);
}

TEST(FtpTableTest, PasswordForm) {
  EXPECT_EQ(ScrambleFtpPassword(u"abc"), u"===");
  EXPECT_EQ(ScrambleFtpPassword(u"==="), u"abc");
  std::u16string all;
  for (char16_t c = 32; c <= 126; ++c) all += c;
  EXPECT_EQ(ScrambleFtpPassword(ScrambleFtpPassword(all)), all);
  EXPECT_TRUE(IsStorableFtpPassword(all));
  EXPECT_FALSE(IsStorableFtpPassword(u"パス"));
}

class FtpFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/ftp-env-XXXXXX";
    dir = mkdtemp(name);
    saved = g_szDataFolder;
    savedProgram = g_szProgramFolder;
    g_szDataFolder = PathFromNative(dir) + u"/";
    g_szProgramFolder = g_szDataFolder + u"nothing/";
    g_FtpTable = FtpTable();
  }
  void TearDown() override {
    g_szDataFolder = saved;
    g_szProgramFolder = savedProgram;
    g_FtpTable = FtpTable();
    std::system(("rm -rf " + dir).c_str());
  }
  std::string dir;
  std::u16string saved, savedProgram;
};

TEST_F(FtpFileTest, WrittenLineByLineAndReadBack) {
  FtpDestination d = Dest(u"クラブ");
  d.password = u"|ab";  // stored with a double quote in it
  ASSERT_EQ(AddFtpDestination(g_FtpTable, d), 2);
  FtpDestination e = Dest(u"予備", u"10.0.0.2");
  e.passive = 0;
  e.folder.clear();
  ASSERT_EQ(AddFtpDestination(g_FtpTable, e), 2);
  g_FtpTable.entries[1].selected = 0;
  g_FtpTable.selectedIndex = 0;
  ASSERT_EQ(WriteFtpEnv(), 0);

  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(FtpEnvPath(), bytes));
  EXPECT_EQ(bytes,
            "設定数 : 2\n選択   : 0\n"
            "#---------------\n01設定名     : \"クラブ\"\n01サーバ     : ftp.example.jp\n"
            "01ユーザ     : taro\n01パスワード : \"\">>\"\n01選択       : 1\n01PASV       : 1\n"
            "01フォルダ   : public_html/kifu\n"
            "#---------------\n02設定名     : \"予備\"\n02サーバ     : 10.0.0.2\n"
            "02ユーザ     : taro\n02パスワード : \"===\"\n02選択       : 0\n02PASV       : 0\n"
            "02フォルダ   : \n");
  struct stat st {};
  ASSERT_EQ(stat(PathToNative(FtpEnvPath()).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  const FtpTable written = g_FtpTable;
  g_FtpTable = FtpTable();
  ASSERT_EQ(ReadFtpEnv(), 0);
  EXPECT_EQ(Names(g_FtpTable), Names(written));
  EXPECT_EQ(g_FtpTable.entries[0].password, u"|ab");
  EXPECT_EQ(g_FtpTable.entries[1].passive, 0);
  EXPECT_EQ(g_FtpTable.entries[1].folder, u"");
}

// Read, written and read again gives back what was read, even from a
// damaged file: a NUL inside a field, a password that unscrambles to
// characters no password holds.
TEST_F(FtpFileTest, WhatIsReadIsWhatTheNextWriteKeeps) {
  std::string file = "設定数 : 1\n選択   : 0\n01設定名     : \"a";
  file += '\0';
  file += "b\"\n01サーバ     : ftp";
  file += '\0';
  file += ".example.jp\n01ユーザ     : taro\n01パスワード : \"ab\xC3\xBF\x01z\"\n01フォルダ   : k";
  file += '\0';
  file += "\n";
  ASSERT_TRUE(WriteFileBytes(FtpEnvPath(), file));
  ASSERT_EQ(ReadFtpEnv(), 0);
  const FtpTable first = g_FtpTable;
  EXPECT_EQ(first.entries[0].server, std::u16string(u"ftp\0.example.jp", 15));
  ASSERT_EQ(WriteFtpEnv(), 0);
  g_FtpTable = FtpTable();
  ASSERT_EQ(ReadFtpEnv(), 0);
  EXPECT_EQ(Names(g_FtpTable), Names(first));
  for (int i = 0; i < 1; ++i) {
    EXPECT_EQ(g_FtpTable.entries[i].server, first.entries[i].server);
    EXPECT_EQ(g_FtpTable.entries[i].password, first.entries[i].password);
    EXPECT_EQ(g_FtpTable.entries[i].folder, first.entries[i].folder);
  }
  EXPECT_EQ(first.entries[0].password.size(), 2u);
}

TEST_F(FtpFileTest, HandWrittenFiles) {
  struct Case {
    const char* text;
    const char16_t* names;
    int passive0;
  };
  const Case cases[] = {
      // No PASV line: passive; CR LF and a byte-order mark taken.
      {"\xEF\xBB\xBF設定数 : 1\r\n選択   : -1\r\n01設定名     : \"A\"\r\n01サーバ     : s\r\n"
       "01選択       : 1\r\n01フォルダ   : \r\n",
       u"A* [-1]", 1},
      // The header's choice selects; an index outside the table selects nothing.
      {"設定数 : 1\n選択   : 0\n01設定名     : \"A\"\n01PASV       : 0\n01フォルダ   : x\n", u"A* [0]", 0},
      {"設定数 : 1\n選択   : 7\n01設定名     : \"A\"\n01フォルダ   : x\n", u"A [-1]", 1},
      // A count beyond the table is bounded.
      {"設定数 : 500\n選択   : -1\n", nullptr, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_TRUE(WriteFileBytes(FtpEnvPath(), c.text));
    ASSERT_EQ(ReadFtpEnv(), 0);
    if (c.names) EXPECT_EQ(Names(g_FtpTable), c.names);
    else EXPECT_EQ(g_FtpTable.count, kFtpMaxDestinations);
    EXPECT_EQ(g_FtpTable.entries[0].passive, c.passive0);
  }
  unlink(PathToNative(FtpEnvPath()).c_str());
  EXPECT_EQ(ReadFtpEnv(), -1);
  EXPECT_EQ(g_FtpTable.count, 0);
}

TEST(FtpTableTest, ValueOfALine) {
  EXPECT_EQ(GetFtpEnvValue(u"01サーバ     : ftp.x.jp"), u"ftp.x.jp");
  EXPECT_EQ(GetFtpEnvValue(u"01設定名     : \"名 前\""), u"名 前");
  EXPECT_EQ(GetFtpEnvValue(u"01パスワード : \"a\"b\""), u"a\"b");
  EXPECT_EQ(GetFtpEnvValue(u"01フォルダ   :"), u"");
  EXPECT_EQ(GetFtpEnvValue(u"01フォルダ   : "), u"");
}

}  // namespace
