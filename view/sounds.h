// The program's two sounds: the warning after a refused action and the piece
// sound after a move (a beep, one of the two built-in WAVE sounds, or the
// user's WAVE file). What actually makes a noise sits behind SoundPort, so
// that tests record what was asked without an audio device.
#pragma once
#include <string>
#include <string_view>

#include <QStringList>

class SoundPort {
public:
  virtual ~SoundPort() = default;
  // The system's warning sound.
  virtual void PlayWarning() = 0;
  // The plain beep.
  virtual void Beep() = 0;
  // Gets a built-in WAVE (a resource path) ready to play without delay.
  virtual void Preload(const std::u16string& resource) = 0;
  // Plays a built-in WAVE, asynchronously.
  virtual void PlayResource(const std::u16string& resource) = 0;
  // Plays a WAVE file, asynchronously; false when it cannot be played. A
  // failure found only later is reported with WaveFileFailedMessage.
  virtual bool PlayFile(const std::u16string& path) = 0;
};

// The installed port (the Qt one unless a test installed its own).
SoundPort& Sounds();
// Installs a port; nullptr puts the Qt one back. Returns the previous one.
SoundPort* SetSoundPort(SoundPort* port);

// The two built-in WAVE sounds, ready for the run: their resource paths, empty
// when missing.
extern std::u16string g_hPieceSound1;  // "komaoto"
extern std::u16string g_hPieceSound2;  // "komaoto2"

// The resource path of a built-in WAVE; a missing or unusable one shows
// "%s が読み込めません。" and gives an empty path.
std::u16string LoadWaveResource(std::u16string_view name);
// At start: both built-in sounds, and the piece sound installed on the move path.
void LoadPieceSounds();
// At exit, while the application still exists: the loaded sounds go.
void FreePieceSounds();
// Where the WAVE player module is looked for, in turn.
QStringList SoundModulePaths();

// Nothing when 警告音 is off; else the warning sound.
void PlayWarningSound();
// By 駒音種類: 0 nothing, 1 a beep, 2 and 3 the built-in sounds (the warning
// sound when one is missing), 4 the user's WAVE file (a message when it
// cannot be played).
void PlayPieceSound();

// A RIFF WAVE file that the player decodes: PCM or float samples of 8 to 32
// bits with a "data" chunk.
bool IsWaveFile(const std::u16string& path);
// "WAVEファイル(%s)の再生に失敗しました。" in an error box.
void ReportWaveFileFailure(const std::u16string& path);
