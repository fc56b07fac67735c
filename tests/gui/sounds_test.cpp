// The warning sound and the piece sound, through a port that records what
// was asked of it.
#include <gtest/gtest.h>

#include <QFile>
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
    wave = dir.path().toStdU16String() + u"/mine.wav";
    QFile f(QString::fromStdU16String(wave));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16));
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

TEST_F(SoundsTest, AUserFileThatCannotPlayIsReportedEachTime) {
  g_nPieceSound = 4;
  QFile text(dir.path() + "/notes.wav");
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  text.write("not a sound at all");
  text.close();
  struct Case {
    std::u16string path;
    bool portWorks;
    bool asksPort;
  };
  const Case cases[] = {
      {dir.path().toStdU16String() + u"/missing.wav", true, false},
      {text.fileName().toStdU16String(), true, false},
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
