// The player of the program's WAVE sounds over Qt Multimedia, built as a
// module of its own: the program opens it when it first needs a sound, so
// that the multimedia libraries do not load at every start.
#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <QSoundEffect>
#include <QUrl>

#include <map>
#include <memory>
#include <vector>

#include "view/sounds.h"

namespace {

class EffectPlayer : public SoundPort {
public:
  explicit EffectPlayer(void (*fileFailed)(const char16_t*)) : m_fileFailed(fileFailed) {}
  // At the end, an effect still loading is given a moment to finish: the
  // loader's work left behind would outlive the application.
  ~EffectPlayer() override {
    for (auto& [resource, effect] : m_resources) AwaitLoaded(effect.get());
    AwaitLoaded(m_file.get());
    for (auto& [resource, effect] : m_resources) Drop(effect);
    DropFile();
  }
  // The program beeps by itself.
  void PlayWarning() override {}
  void Beep() override {}
  void Preload(const std::u16string& resource) override { Effect(resource); }
  void PlayResource(const std::u16string& resource) override { Effect(resource).play(); }
  bool PlayFile(const std::u16string& path) override {
    // One effect for the user's file, made again when the file changes.
    if (!m_file || m_filePath != path) {
      DropFile();
      m_file = std::make_unique<QSoundEffect>();
      m_filePath = path;
      QObject::connect(m_file.get(), &QSoundEffect::statusChanged, m_file.get(), [this, path] {
        if (m_file && m_file->status() == QSoundEffect::Error && m_fileFailed) m_fileFailed(path.c_str());
      });
      m_file->setSource(QUrl::fromLocalFile(QString::fromStdU16String(path)));
    }
    if (m_file->status() == QSoundEffect::Error) return false;
    m_file->play();
    return true;
  }

private:
  // An effect still loading cannot be destroyed without blocking on the
  // player's loader: it is kept, unused, for the rest of the run.
  static void AwaitLoaded(QSoundEffect* effect) {
    if (!effect || effect->status() != QSoundEffect::Loading) return;
    constexpr int kLongestWaitMs = 2000;
    QEventLoop wait;
    QObject::connect(effect, &QSoundEffect::statusChanged, &wait, &QEventLoop::quit);
    QTimer::singleShot(kLongestWaitMs, &wait, &QEventLoop::quit);
    wait.exec(QEventLoop::ExcludeUserInputEvents);
  }
  static void Drop(std::unique_ptr<QSoundEffect>& effect) {
    static std::vector<std::unique_ptr<QSoundEffect>>* kept = new std::vector<std::unique_ptr<QSoundEffect>>;
    if (effect && effect->status() == QSoundEffect::Loading) kept->push_back(std::move(effect));
    effect.reset();
  }
  void DropFile() {
    Drop(m_file);
    m_filePath.clear();
  }

  QSoundEffect& Effect(const std::u16string& resource) {
    std::unique_ptr<QSoundEffect>& effect = m_resources[resource];
    if (!effect) {
      effect = std::make_unique<QSoundEffect>();
      effect->setSource(QUrl(QStringLiteral("qrc") + QString::fromStdU16String(resource)));
    }
    return *effect;
  }

  void (*m_fileFailed)(const char16_t*);
  std::map<std::u16string, std::unique_ptr<QSoundEffect>> m_resources;
  std::unique_ptr<QSoundEffect> m_file;
  std::u16string m_filePath;
};

}  // namespace

// A player whose later failures with a user's file are told through
// fileFailed; it must be destroyed while the application object lives.
extern "C" __attribute__((visibility("default"))) SoundPort* narvo_sound_player_create(
    void (*fileFailed)(const char16_t*)) {
  return new EffectPlayer(fileFailed);
}

extern "C" __attribute__((visibility("default"))) void narvo_sound_player_destroy(SoundPort* player) {
  delete player;
}
