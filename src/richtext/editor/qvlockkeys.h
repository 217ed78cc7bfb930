#pragma once
// The keyboard's Caps Lock and Num Lock, as the status bar of the editor window shows them.

namespace richtext {

struct TqvLockKeys {
  bool CapsLock = false;
  bool NumLock = false;
};

// What the desktop reports now; both off where it cannot be asked.
TqvLockKeys DesktopLockKeys();

}  // namespace richtext
