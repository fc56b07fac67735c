#include "view/sounds.h"

#include <QApplication>
#include <QFile>
#include <QSoundEffect>
#include <QUrl>

#include <map>
#include <memory>

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

class QtSoundPort : public SoundPort {
public:
  void PlayWarning() override { QApplication::beep(); }
  void Beep() override { QApplication::beep(); }
  void Preload(const std::u16string& resource) override { Effect(resource); }
  void PlayResource(const std::u16string& resource) override { Effect(resource).play(); }
  bool PlayFile(const std::u16string& path) override {
    // One effect for the user's file, made again when the file changes.
    if (!m_file || m_filePath != path) {
      m_file = std::make_unique<QSoundEffect>();
      m_filePath = path;
      QObject::connect(m_file.get(), &QSoundEffect::statusChanged, m_file.get(), [this, path] {
        if (m_file && m_file->status() == QSoundEffect::Error) ReportWaveFileFailure(path);
      });
      m_file->setSource(QUrl::fromLocalFile(QString::fromStdU16String(path)));
    }
    if (m_file->status() == QSoundEffect::Error) return false;
    m_file->play();
    return true;
  }

  void Release() {
    m_resources.clear();
    m_file.reset();
    m_filePath.clear();
  }

private:
  QSoundEffect& Effect(const std::u16string& resource) {
    std::unique_ptr<QSoundEffect>& effect = m_resources[resource];
    if (!effect) {
      effect = std::make_unique<QSoundEffect>();
      effect->setSource(QUrl(QStringLiteral("qrc") + QString::fromStdU16String(resource)));
    }
    return *effect;
  }

  std::map<std::u16string, std::unique_ptr<QSoundEffect>> m_resources;
  std::unique_ptr<QSoundEffect> m_file;
  std::u16string m_filePath;
};

SoundPort* g_pSoundPort = nullptr;

QtSoundPort& QtPort() {
  static QtSoundPort port;
  return port;
}

}  // namespace

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
  return !path.empty() && file.open(QIODevice::ReadOnly) && StartsAsWave(file.read(12));
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
