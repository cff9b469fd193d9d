#pragma once
// Reading a window's property made of bytes: what a desktop publishes on its windows, or the
// answer to a selection request (XConvertSelection), which the owner leaves as a property of the
// requesting window.

#include <X11/Xlib.h>

#include <string>

namespace plugin::igraphics
{

// Reads the property and leaves it in place. True, with its type and bytes, when it is whole (no
// more than maxBytes), in one piece and made of 8-bit items; false otherwise.
bool ReadByteProperty(Display* pDisplay, Window window, Atom property, long maxBytes, Atom& type,
                      std::string& bytes);
// Reads the property as ReadByteProperty does and deletes it (a selection answer: a transfer in
// pieces, INCR, is such a refusal).
bool TakeByteProperty(Display* pDisplay, Window window, Atom property, long maxBytes, Atom& type,
                      std::string& bytes);

} // namespace plugin::igraphics
