// Caps Lock and Num Lock as the X server has them: the lock bits of the keyboard's modifier
// state. Caps Lock is the Lock modifier; Num Lock is whichever modifier the keyboard map binds
// the Num Lock key to (Mod2 on most desktops). Elsewhere (Wayland, offscreen) both read as off.

#include "richtext/editor/qvlockkeys.h"

#include <QGuiApplication>
#include <cstdlib>

#if defined(TERMORA_HAVE_XCB) && QT_CONFIG(xcb)
#include <xcb/xcb.h>
#define TERMORA_LOCK_KEYS_FROM_X 1
#endif

namespace richtext {

#ifdef TERMORA_LOCK_KEYS_FROM_X
namespace {

template <typename T>
struct TReply {
  T* Data = nullptr;
  ~TReply() { std::free(Data); }
};

// The modifier bit the Num Lock key sets, found in the keyboard map; 0 when no key is bound.
uint16_t NumLockMask(xcb_connection_t* C) {
  constexpr xcb_keysym_t kNumLock = 0xff7f;
  const xcb_setup_t* Setup = xcb_get_setup(C);
  const uint8_t First = Setup->min_keycode;
  const uint8_t Count = uint8_t(Setup->max_keycode - Setup->min_keycode + 1);
  TReply<xcb_get_keyboard_mapping_reply_t> Map{
      xcb_get_keyboard_mapping_reply(C, xcb_get_keyboard_mapping(C, First, Count), nullptr)};
  TReply<xcb_get_modifier_mapping_reply_t> Mods{
      xcb_get_modifier_mapping_reply(C, xcb_get_modifier_mapping(C), nullptr)};
  if (Map.Data == nullptr || Mods.Data == nullptr) return 0;
  const xcb_keysym_t* Syms = xcb_get_keyboard_mapping_keysyms(Map.Data);
  const int PerCode = Map.Data->keysyms_per_keycode;
  const xcb_keycode_t* Codes = xcb_get_modifier_mapping_keycodes(Mods.Data);
  const int PerMod = Mods.Data->keycodes_per_modifier;
  for (int Mod = 0; Mod < 8; ++Mod)
    for (int K = 0; K < PerMod; ++K) {
      const xcb_keycode_t Code = Codes[Mod * PerMod + K];
      if (Code < First || Code >= First + Count) continue;
      for (int S = 0; S < PerCode; ++S)
        if (Syms[(Code - First) * PerCode + S] == kNumLock) return uint16_t(1u << Mod);
    }
  return 0;
}

}  // namespace
#endif

TqvLockKeys DesktopLockKeys() {
  TqvLockKeys Keys;
#ifdef TERMORA_LOCK_KEYS_FROM_X
  auto* X = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* C = X ? X->connection() : nullptr;
  if (C == nullptr) return Keys;
  // The keyboard map hardly ever changes while the program runs: looked up once.
  static const uint16_t NumLock = NumLockMask(C);
  const xcb_screen_t* Screen = xcb_setup_roots_iterator(xcb_get_setup(C)).data;
  if (Screen == nullptr) return Keys;
  TReply<xcb_query_pointer_reply_t> State{xcb_query_pointer_reply(C, xcb_query_pointer(C, Screen->root), nullptr)};
  if (State.Data == nullptr) return Keys;
  Keys.CapsLock = State.Data->mask & XCB_MOD_MASK_LOCK;
  Keys.NumLock = NumLock != 0 && (State.Data->mask & NumLock);
#endif
  return Keys;
}

}  // namespace richtext
