// The warning sound and the piece sound, through a port that records what
// was asked of it.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QDir>
#include <QTemporaryDir>

#include <string>
#include <vector>

#include "settings/env.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/recording_ui.h"
#include "view/move_path.h"
#include "view/sounds.h"

namespace {

class RecordingSounds : public SoundPort {
public:
  RecordingSounds() { previous_ = SetSoundPort(this); }
  ~RecordingSounds() override { SetSoundPort(previous_); }
  void PlayWarning() override { asked.push_back(u"warning"); }
  void Beep() override { asked.push_back(u"beep"); }
  void Preload(const std::u16string& resource) override { preloaded.push_back(resource); }
  void PlayResource(const std::u16string& resource) override { asked.push_back(resource); }
  bool PlayFile(const std::u16string& path) override {
    asked.push_back(u"file " + path);
    return fileWorks;
  }
  std::vector<std::u16string> asked, preloaded;
  bool fileWorks = true;

private:
  SoundPort* previous_;
};

class SoundsTest : public ::testing::Test {
protected:
  void SetUp() override {
    EnsureQtApp();
    ResetEnvDefaults();
    LoadPieceSounds();
    wave = Write("mine.wav", Wave(1, 16));
  }
  // A mono WAVE of 8000 Hz with the format tag and sample size given and
  // four samples.
  static QByteArray Wave(int tag, int bits) {
    auto le = [](QByteArray& b, uint32_t v, int bytes) {
      for (int i = 0; i < bytes; ++i) b.append(char(v >> (8 * i) & 0xFF));
    };
    QByteArray data(4 * bits / 8, '\x10');
    QByteArray w("RIFF");
    le(w, 36 + data.size(), 4);
    w += "WAVEfmt ";
    le(w, 16, 4);
    le(w, tag, 2);
    le(w, 1, 2);
    le(w, 8000, 4);
    le(w, 8000 * bits / 8, 4);
    le(w, bits / 8, 2);
    le(w, bits, 2);
    w += "data";
    le(w, data.size(), 4);
    return w + data;
  }
  std::u16string Write(const char* name, const QByteArray& bytes) {
    QFile f(dir.path() + "/" + name);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return f.fileName().toStdU16String();
  }
  void TearDown() override { FreePieceSounds(); }
  QTemporaryDir dir;
  std::u16string wave;
  RecordingUi ui;
  RecordingSounds sounds;
};

TEST_F(SoundsTest, BuiltInSoundsAreReadyAtStartAndPlayAfterMoves) {
  EXPECT_EQ(g_hPieceSound1, u":/sounds/komaoto.wav");
  EXPECT_EQ(g_hPieceSound2, u":/sounds/komaoto2.wav");
  EXPECT_EQ(sounds.preloaded, (std::vector<std::u16string>{g_hPieceSound1, g_hPieceSound2}));
  EXPECT_EQ(g_pPlayPieceSound, &PlayPieceSound);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(SoundsTest, WhatEachSettingPlays) {
  g_szUserWave = wave;
  struct Case {
    int warning, piece;
    std::vector<std::u16string> piecePlays;
  };
  const std::u16string file = u"file " + wave;
  const Case cases[] = {
      {1, 0, {}},
      {1, 1, {u"beep"}},
      {1, 2, {u":/sounds/komaoto.wav"}},
      {1, 3, {u":/sounds/komaoto2.wav"}},
      {1, 4, {file}},
      {1, 9, {}},
      // The warning setting does not touch the piece sound.
      {0, 1, {u"beep"}},
      {0, 4, {file}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.warning * 10 + c.piece);
    g_bWarningSound = c.warning;
    g_nPieceSound = c.piece;
    sounds.asked.clear();
    PlayPieceSound();
    EXPECT_EQ(sounds.asked, c.piecePlays);
    sounds.asked.clear();
    PlayWarningSound();
    EXPECT_EQ(sounds.asked, c.warning ? std::vector<std::u16string>{u"warning"}
                                      : std::vector<std::u16string>{});
  }
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(SoundsTest, AMissingBuiltInSoundFallsBackOnTheWarning) {
  std::u16string kept = g_hPieceSound2;
  EXPECT_EQ(LoadWaveResource(u"komaoto9"), u"");
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, u"komaoto9 が読み込めません。");
  g_hPieceSound2.clear();
  g_nPieceSound = 3;
  for (int warning : {1, 0}) {
    g_bWarningSound = warning;
    sounds.asked.clear();
    PlayPieceSound();
    EXPECT_EQ(sounds.asked.size(), size_t(warning));
  }
  g_hPieceSound2 = kept;
}

TEST_F(SoundsTest, OnlyWaveFilesThePlayerDecodesAreHandedToIt) {
  const QByteArray good = Wave(1, 16);
  struct Case {
    const char* name;
    QByteArray bytes;
    bool playable;
  };
  const Case cases[] = {
      {"pcm8.wav", Wave(1, 8), true},
      {"float.wav", Wave(3, 32), true},
      {"short-data.wav", good.left(good.size() - 2), false},  // the data chunk runs short
      {"text.wav", "not a sound at all", false},
      {"header.wav", good.left(16), false},                 // no format, no data
      {"no-data.wav", good.left(36), false},
      {"adpcm.wav", Wave(2, 16), false},
      {"bits12.wav", Wave(1, 12), false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsWaveFile(Write(c.name, c.bytes)), c.playable) << c.name;
  EXPECT_FALSE(IsWaveFile(u""));
  EXPECT_FALSE(IsWaveFile(dir.path().toStdU16String() + u"/missing.wav"));
}

TEST_F(SoundsTest, AUserFileThatCannotPlayIsReportedEachTime) {
  g_nPieceSound = 4;
  struct Case {
    std::u16string path;
    bool portWorks;
    bool asksPort;
  };
  const Case cases[] = {
      {dir.path().toStdU16String() + u"/missing.wav", true, false},
      {Write("notes.wav", "not a sound at all"), true, false},
      {Write("truncated.wav", Wave(1, 16).left(20)), true, false},
      {u"", true, false},
      {wave, false, true},  // the player refuses it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(QString::fromStdU16String(c.path).toUtf8()));
    g_szUserWave = c.path;
    sounds.fileWorks = c.portWorks;
    sounds.asked.clear();
    ui.boxes.clear();
    PlayPieceSound();
    PlayPieceSound();
    EXPECT_EQ(sounds.asked.size(), c.asksPort ? 2u : 0u);
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0].text, u"WAVEファイル(" + c.path + u")の再生に失敗しました。");
    EXPECT_EQ(ui.boxes[0].flags, kMbOk | kMbIconError);
    EXPECT_EQ(ui.boxes[0].caption, u"");
  }
}

}  // namespace

// The program's own port opens the player module (and the multimedia
// libraries under it) only when a WAVE sound is first wanted.
TEST(QtSounds, ThePlayerModuleOpensAtTheFirstWaveSound) {
  EnsureQtApp();
  auto mapped = [](const char* library) {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(library);
  };
  SoundPort* test = SetSoundPort(nullptr);
  EXPECT_FALSE(mapped("libnarvo_sound.so"));
  EXPECT_FALSE(mapped("libQt6Multimedia"));
  // Only from the program's own install.
  const QString dir = QCoreApplication::applicationDirPath();
  EXPECT_EQ(SoundModulePaths(), (QStringList{dir + "/libnarvo_sound.so",
                                             QFileInfo(dir).dir().path() + "/lib/narvo/libnarvo_sound.so"}));
  Sounds().PlayResource(u":/sounds/komaoto.wav");
  EXPECT_TRUE(mapped("libnarvo_sound.so"));
  EXPECT_TRUE(mapped("libQt6Multimedia"));
  // Let go at once, while the sound may still be loading.
  FreePieceSounds();
  SetSoundPort(test);
}
