#pragma once
// One key event for the editor: a virtual key code in the Windows numbering (letters 65..90,
// digits 48..57, 8 backspace, 13 return, 27 escape, 32 space, ...), the typed text as UTF-8 (up
// to 4 bytes and a terminator) and the modifier flags.

#include <cstring>

namespace plugin
{

struct IKeyPress
{
  int VK = 0;
  char utf8[5] = {};
  bool S = false; // shift
  bool C = false; // control
  bool A = false; // alt

  IKeyPress() = default;
  IKeyPress(const char* text, int vk, bool shift = false, bool ctrl = false, bool alt = false)
    : VK(vk), S(shift), C(ctrl), A(alt)
  {
    // At most 4 bytes; the rest stays zero (a loop: GCC misreads strncpy's bound here).
    for (size_t i = 0; text && i < sizeof(utf8) - 1 && text[i]; ++i)
      utf8[i] = text[i];
  }
};

} // namespace plugin
