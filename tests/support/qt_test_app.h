// The QApplication of a Qt test program, made on first use, and a private
// home for each test: settings profile, data folder and runtime folder in a
// temporary folder of their own.
#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

// Made before the first test and deleted after the last, so that the
// libraries behind Qt (fonts above all) release what they hold.
class QtTestEnvironment : public ::testing::Environment {
public:
  void SetUp() override { Make(); }
  void TearDown() override {
    delete app_;
    app_ = nullptr;
  }
  static QApplication* Make() {
    static int argc = 1;
    static char arg0[] = "narvo-test";
    static char* argv[] = {arg0, nullptr};
    if (!app_) {
      if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
      app_ = new QApplication(argc, argv);
    }
    return app_;
  }

private:
  static inline QApplication* app_ = nullptr;
};
inline ::testing::Environment* const g_qtTestEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtTestEnvironment);

inline QApplication* EnsureQtApp() { return QtTestEnvironment::Make(); }

// Points the profile, XDG_DATA_HOME and XDG_RUNTIME_DIR into a fresh folder
// for as long as it lives.
class PrivateHome {
public:
  PrivateHome() {
    EnsureQtApp();
    root_ = std::make_unique<QTemporaryDir>();
    QString r = root_->path();
    setenv("XDG_DATA_HOME", (r + "/data").toLocal8Bit().constData(), 1);
    setenv("XDG_CONFIG_HOME", (r + "/config").toLocal8Bit().constData(), 1);
    setenv("XDG_RUNTIME_DIR", (r + "/run").toLocal8Bit().constData(), 1);
    QDir().mkpath(r + "/run");
    QFile::setPermissions(r + "/run", QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, r + "/config");
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, r + "/config");
  }
  QString Path() const { return root_->path(); }
  // The data folder the program makes: "<root>/data/Morivane/DovuV7/".
  QString DataFolder() const { return root_->path() + "/data/Morivane/DovuV7/"; }

private:
  std::unique_ptr<QTemporaryDir> root_;
};
