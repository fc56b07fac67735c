#include "view/sounds.h"

#include <QApplication>
#include <QFile>
#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QTimer>

#include <cstdint>
#include <vector>

#include "record/ui_port.h"
#include "settings/env.h"
#include "view/move_path.h"
#include "view/piece_images.h"

std::u16string g_hPieceSound1;
std::u16string g_hPieceSound2;

namespace {

bool StartsAsWave(const QByteArray& head) {
  return head.size() >= 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WAVE";
}

uint32_t Le32(const QByteArray& b, qsizetype at) {
  auto u = [&](qsizetype i) { return uint32_t(uint8_t(b[at + i])); };
  return u(0) | u(1) << 8 | u(2) << 16 | u(3) << 24;
}
uint16_t Le16(const QByteArray& b, qsizetype at) {
  return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8);
}

// A WAVE the player decodes: plain PCM or float samples in a "fmt " chunk,
// then a "data" chunk, each whole inside the file. The player never finishes
// loading anything else, and an effect left loading blocks every later one
// from being destroyed.
bool IsPlayableWave(const QByteArray& file) {
  if (!StartsAsWave(file)) return false;
  bool format = false;
  for (qsizetype at = 12; at + 8 <= file.size();) {
    const QByteArray id = file.mid(at, 4);
    const uint32_t size = Le32(file, at + 4);
    const qsizetype body = at + 8;
    // A chunk running past the end would leave the player waiting for it.
    if (size > uint32_t(file.size() - body)) return false;
    if (id == "fmt ") {
      if (size < 16) return false;
      const uint16_t tag = Le16(file, body), channels = Le16(file, body + 2);
      const uint32_t rate = Le32(file, body + 4);
      const uint16_t bits = Le16(file, body + 14);
      const bool known = tag == 1 || tag == 3 || tag == 0xFFFE;
      const bool sampleSize = bits == 8 || bits == 16 || bits == 24 || bits == 32;
      if (!known || channels == 0 || rate == 0 || !sampleSize) return false;
      format = true;
    } else if (id == "data") {
      return format;
    }
    at = body + qsizetype(size) + (size & 1);
  }
  return false;
}

class QtSoundPort;
QtSoundPort& QtPort();

// Beeps here; WAVE sounds through the player module, opened at the first
// sound that needs it. The built-in sounds are made ready a moment after
// they are asked for, when the start has drawn its window.
class QtSoundPort : public SoundPort {
public:
  void PlayWarning() override { QApplication::beep(); }
  void Beep() override { QApplication::beep(); }
  void Preload(const std::u16string& resource) override {
    m_pending.push_back(resource);
    if (m_pending.size() == 1 && QCoreApplication::instance())
      QTimer::singleShot(kPreloadDelayMs, QCoreApplication::instance(), [] {
        if (!QtPort().m_pending.empty()) QtPort().Player();
      });
  }
  void PlayResource(const std::u16string& resource) override {
    if (SoundPort* player = Player())
      player->PlayResource(resource);
    else
      QApplication::beep();
  }
  bool PlayFile(const std::u16string& path) override {
    SoundPort* player = Player();
    return player && player->PlayFile(path);
  }

  void Release() {
    m_pending.clear();
    if (m_player) m_destroy(m_player);
    m_player = nullptr;
  }

private:
  static constexpr int kPreloadDelayMs = 300;

  SoundPort* Player() {
    if (!m_player && Open()) {
      m_player = m_create([](const char16_t* path) { ReportWaveFileFailure(path); });
      for (const std::u16string& resource : m_pending) m_player->Preload(resource);
    }
    m_pending.clear();
    return m_player;
  }

  bool Open() {
    if (m_create) return true;
    if (m_tried) return false;
    m_tried = true;
    for (const QString& path : SoundModulePaths()) {
      m_library.setFileName(path);
      if (!m_library.load()) continue;
      m_create = reinterpret_cast<Create>(m_library.resolve("narvo_sound_player_create"));
      m_destroy = reinterpret_cast<Destroy>(m_library.resolve("narvo_sound_player_destroy"));
      if (m_create && m_destroy) return true;
      m_create = nullptr;
      m_library.unload();
    }
    return false;
  }

  using Create = SoundPort* (*)(void (*)(const char16_t*));
  using Destroy = void (*)(SoundPort*);
  QLibrary m_library;
  bool m_tried = false;
  Create m_create = nullptr;
  Destroy m_destroy = nullptr;
  SoundPort* m_player = nullptr;
  std::vector<std::u16string> m_pending;
};

SoundPort* g_pSoundPort = nullptr;

// Never destroyed with the program's statics: its effects must go while the
// application object lives (when it is destroyed, or by FreePieceSounds
// before), since an effect destroyed after it waits for it for ever. A
// program ended by exit() (a lost display) leaves them to the process's end.
QtSoundPort& QtPort() {
  static QtSoundPort* port = [] {
    auto* made = new QtSoundPort;
    qAddPostRoutine([] { QtPort().Release(); });
    return made;
  }();
  return *port;
}

}  // namespace

QStringList SoundModulePaths() {
  // Only the program's own install: beside it, or in its library folder
  // (<prefix>/bin/narvo and <prefix>/lib/narvo/, as the build lays them out).
  const QString dir = QCoreApplication::applicationDirPath();
  const QString name = QStringLiteral("/libnarvo_sound.so");
  return {dir + name, QDir::cleanPath(dir + QStringLiteral("/../lib/narvo")) + name};
}

SoundPort& Sounds() { return g_pSoundPort ? *g_pSoundPort : QtPort(); }

SoundPort* SetSoundPort(SoundPort* port) {
  SoundPort* before = g_pSoundPort;
  g_pSoundPort = port;
  return before;
}

std::u16string LoadWaveResource(std::u16string_view name) {
  InitBuiltinResources();
  std::u16string path = u":/sounds/" + std::u16string(name) + u".wav";
  QFile file(QString::fromStdU16String(path));
  if (!file.open(QIODevice::ReadOnly) || !StartsAsWave(file.read(12))) {
    ShowMessage(std::u16string(name) + u" が読み込めません。");
    return std::u16string();
  }
  Sounds().Preload(path);
  return path;
}

void LoadPieceSounds() {
  g_hPieceSound1 = LoadWaveResource(u"komaoto");
  g_hPieceSound2 = LoadWaveResource(u"komaoto2");
  g_pPlayPieceSound = PlayPieceSound;
}

void FreePieceSounds() {
  if (g_pPlayPieceSound == PlayPieceSound) g_pPlayPieceSound = nullptr;
  QtPort().Release();
}

void PlayWarningSound() {
  if (g_bWarningSound != 0) Sounds().PlayWarning();
}

bool IsWaveFile(const std::u16string& path) {
  QFile file(QString::fromStdU16String(path));
  // Only the headers are needed; a sound file larger than this is refused.
  constexpr qint64 kMaxWaveBytes = 64 << 20;
  if (path.empty() || !file.open(QIODevice::ReadOnly) || file.size() > kMaxWaveBytes) return false;
  return IsPlayableWave(file.readAll());
}

void ReportWaveFileFailure(const std::u16string& path) {
  ShowMessage(u"WAVEファイル(" + path + u")の再生に失敗しました。", kMbOk | kMbIconError);
}

void PlayPieceSound() {
  switch (g_nPieceSound) {
    case 1:
      Sounds().Beep();
      break;
    case 2:
    case 3: {
      const std::u16string& wave = g_nPieceSound == 2 ? g_hPieceSound1 : g_hPieceSound2;
      if (wave.empty())
        PlayWarningSound();
      else
        Sounds().PlayResource(wave);
      break;
    }
    case 4:
      if (!IsWaveFile(g_szUserWave) || !Sounds().PlayFile(g_szUserWave))
        ReportWaveFileFailure(g_szUserWave);
      break;
    default:
      break;
  }
}
