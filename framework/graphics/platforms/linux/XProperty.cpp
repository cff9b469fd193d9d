#include "framework/graphics/platforms/linux/XProperty.h"

namespace plugin::igraphics
{

namespace
{

bool GetByteProperty(Display* pDisplay, Window window, Atom property, long maxBytes, Bool remove,
                     Atom& type, std::string& bytes)
{
  bytes.clear();
  type = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* pData = nullptr;
  const int result =
    XGetWindowProperty(pDisplay, window, property, 0, maxBytes / 4, remove, AnyPropertyType, &type,
                       &format, &count, &remaining, &pData);
  const bool whole = result == Success && pData && format == 8 && remaining == 0;
  if (whole)
    bytes.assign(reinterpret_cast<const char*>(pData), count);
  if (pData)
    XFree(pData);
  return whole;
}

} // namespace

bool ReadByteProperty(Display* pDisplay, Window window, Atom property, long maxBytes, Atom& type,
                      std::string& bytes)
{
  return GetByteProperty(pDisplay, window, property, maxBytes, False, type, bytes);
}

bool TakeByteProperty(Display* pDisplay, Window window, Atom property, long maxBytes, Atom& type,
                      std::string& bytes)
{
  return GetByteProperty(pDisplay, window, property, maxBytes, True, type, bytes);
}

} // namespace plugin::igraphics
