// The sibling port on X11: windows from _NET_CLIENT_LIST (the root's
// children when no window manager keeps one) by their WM_CLASS class,
// raised through _NET_ACTIVE_WINDOW, keys and the register message sent as
// X events. Without an X display no window is ever found.
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/sibling_programs.h"

namespace {

// A connection of our own to $DISPLAY for one operation: the siblings live
// on the display whatever Qt itself draws on.
class Connection {
public:
  Connection() {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return;
    c_ = xcb_connect(display, nullptr);
    if (xcb_connection_has_error(c_)) {
      xcb_disconnect(c_);
      c_ = nullptr;
    }
  }
  ~Connection() {
    if (!c_) return;
    // A round trip first: the server has then taken every request sent (the
    // keys and messages for the sibling). Disconnecting right after a flush
    // may lose them on a busy server.
    std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
    xcb_disconnect(c_);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  operator xcb_connection_t*() const { return c_; }

private:
  xcb_connection_t* c_ = nullptr;
};

xcb_window_t RootWindow(xcb_connection_t* c) {
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
  return it.rem ? it.data->root : 0;
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr),
      &std::free);
  return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

using PropertyReply = std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)>;
PropertyReply Property(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type) {
  return PropertyReply(
      xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, type, 0, 4096), nullptr), &std::free);
}

// WM_CLASS holds the instance and the class, each ended by a zero.
bool HasClass(xcb_connection_t* c, xcb_window_t w, const char* windowClass) {
  PropertyReply reply = Property(c, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
  if (!reply || reply->format != 8) return false;
  const char* data = static_cast<const char*>(xcb_get_property_value(reply.get()));
  int length = xcb_get_property_value_length(reply.get());
  const void* zero = std::memchr(data, 0, size_t(length));
  if (!zero) return false;
  const char* cls = static_cast<const char*>(zero) + 1;
  size_t rest = size_t(data + length - cls);
  size_t want = std::strlen(windowClass);
  return rest >= want && std::memcmp(cls, windowClass, want) == 0 && (rest == want || cls[want] == 0);
}

xcb_keycode_t KeycodeOf(xcb_connection_t* c, uint32_t keysym) {
  const xcb_setup_t* setup = xcb_get_setup(c);
  const int count = setup->max_keycode - setup->min_keycode + 1;
  std::unique_ptr<xcb_get_keyboard_mapping_reply_t, decltype(&std::free)> map(
      xcb_get_keyboard_mapping_reply(
          c, xcb_get_keyboard_mapping(c, setup->min_keycode, uint8_t(count)), nullptr),
      &std::free);
  if (!map) return 0;
  const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map.get());
  for (int k = 0; k < count; ++k)
    for (int i = 0; i < map->keysyms_per_keycode; ++i)
      if (syms[k * map->keysyms_per_keycode + i] == keysym) return xcb_keycode_t(setup->min_keycode + k);
  return 0;
}

void SendClientMessage(xcb_connection_t* c, xcb_window_t target, xcb_window_t about, xcb_atom_t type,
                       uint32_t mask, uint32_t d0, uint32_t d1) {
  xcb_client_message_event_t e;
  std::memset(&e, 0, sizeof e);
  e.response_type = XCB_CLIENT_MESSAGE;
  e.format = 32;
  e.window = about;
  e.type = type;
  e.data.data32[0] = d0;
  e.data.data32[1] = d1;
  xcb_send_event(c, 0, target, mask, reinterpret_cast<const char*>(&e));
  xcb_flush(c);
}

class X11SiblingPort : public SiblingPort {
public:
  explicit X11SiblingPort(SiblingPort& base) : base_(base) {}
  SiblingWindow FindWindow(const char* windowClass) override {
    Connection c;
    if (!c) return 0;
    const xcb_window_t root = RootWindow(c);
    PropertyReply list = Property(c, root, Atom(c, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
    if (list && list->format == 32 && list->value_len > 0) {
      const auto* windows = static_cast<const xcb_window_t*>(xcb_get_property_value(list.get()));
      const int n = xcb_get_property_value_length(list.get()) / 4;
      for (int i = 0; i < n; ++i)
        if (HasClass(c, windows[i], windowClass)) return windows[i];
      return 0;
    }
    std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
        xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr), &std::free);
    if (!tree) return 0;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i)
      if (HasClass(c, children[i], windowClass)) return children[i];
    return 0;
  }
  bool Start(const std::u16string& program) override { return base_.Start(program); }
  void Wait(int ms) override { base_.Wait(ms); }
  void SetWaitCursor(bool on) override { base_.SetWaitCursor(on); }
  void Raise(SiblingWindow w) override {
    Connection c;
    if (c)
      SendClientMessage(c, RootWindow(c), w, Atom(c, "_NET_ACTIVE_WINDOW"),
                        XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY, 1,
                        XCB_CURRENT_TIME);
  }
  void SendKey(SiblingWindow w, SiblingKey key) override {
    Connection c;
    if (!c) return;
    const uint32_t keysym = key == kSiblingKeyF4 ? 0xFFC1 : 0xFFC2;  // XK_F4, XK_F5
    xcb_key_press_event_t e;
    std::memset(&e, 0, sizeof e);
    e.detail = KeycodeOf(c, keysym);
    e.root = RootWindow(c);
    e.event = w;
    e.child = XCB_NONE;
    e.same_screen = 1;
    e.time = XCB_CURRENT_TIME;
    for (uint8_t type : {uint8_t(XCB_KEY_PRESS), uint8_t(XCB_KEY_RELEASE)}) {
      e.response_type = type;
      xcb_send_event(c, 0, w, type == XCB_KEY_PRESS ? XCB_EVENT_MASK_KEY_PRESS : XCB_EVENT_MASK_KEY_RELEASE,
                     reinterpret_cast<const char*>(&e));
    }
    xcb_flush(c);
  }
  void SendRegister(SiblingWindow w) override {
    Connection c;
    if (c) SendClientMessage(c, w, w, Atom(c, "SORVANE_REGISTER"), XCB_EVENT_MASK_NO_EVENT, 0, 0);
  }

private:
  SiblingPort& base_;
};

}  // namespace

SiblingPort& DesktopSiblingPort(SiblingPort& base) {
  static X11SiblingPort port(base);
  return port;
}
