#include "view/key_state.h"

#include <QGuiApplication>

namespace {
Qt::KeyboardModifiers QueryFromWindowSystem() {
  return qobject_cast<QGuiApplication*>(QCoreApplication::instance())
             ? QGuiApplication::queryKeyboardModifiers()
             : Qt::NoModifier;
}
}  // namespace

KeyboardModifiersFunction g_pQueryKeyboardModifiers = QueryFromWindowSystem;

Qt::KeyboardModifiers CurrentKeyboardModifiers() {
  return g_pQueryKeyboardModifiers ? g_pQueryKeyboardModifiers() : Qt::NoModifier;
}
