#include "framework/core/IByteChunk.h"

#include <cstring>

namespace plugin
{

void IByteChunk::InitChunkWithFrameworkVer(IByteChunk& chunk)
{
  chunk.Clear();
  chunk.AppendValue(kFrameworkTag);
  chunk.AppendValue(kFrameworkVersion);
}

int IByteChunk::ReadFrameworkVersion(const IByteChunk& chunk, int& pos)
{
  int32_t tag = 0;
  const int afterTag = chunk.ReadValue(tag, pos);
  if (afterTag < 0 || tag != kFrameworkTag)
    return 0;
  int32_t version = 0;
  pos = chunk.ReadValue(version, afterTag);
  return pos < 0 ? 0 : version;
}

int IByteChunk::Resize(int newSize)
{
  const int oldSize = Size();
  if (newSize < 0)
    newSize = 0;
  if (newSize == 0)
  {
    Clear();
    return oldSize;
  }
  uint8_t* data = static_cast<uint8_t*>(mBytes.Resize(newSize, true));
  if (data && newSize > oldSize)
    std::memset(data + oldSize, 0, static_cast<size_t>(newSize - oldSize));
  return oldSize;
}

int IByteChunk::AppendBytes(const void* data, int count)
{
  const int oldSize = Size();
  if (count <= 0 || !data)
    return count == 0 ? oldSize : -1;
  if (int64_t{oldSize} + count > INT32_MAX)
    return -1;
  // The source may lie inside this chunk, which the resize can move: copy it out first.
  const uint8_t* source = static_cast<const uint8_t*>(data);
  const uint8_t* own = Data();
  if (own && source >= own && source < own + oldSize)
  {
    Util_HeapBuf copy(count);
    void* tmp = copy.Resize(count);
    if (!tmp)
      return -1;
    std::memcpy(tmp, source, static_cast<size_t>(count));
    return AppendBytes(tmp, count);
  }
  uint8_t* bytes = static_cast<uint8_t*>(mBytes.Resize(oldSize + count, false));
  if (!bytes)
    return -1;
  std::memcpy(bytes + oldSize, source, static_cast<size_t>(count));
  return Size();
}

int IByteChunk::AppendBool(bool value)
{
  const uint8_t byte = value ? 1 : 0;
  return AppendBytes(&byte, 1);
}

int IByteChunk::AppendString(const char* text)
{
  if (!text)
    text = "";
  const size_t length = std::strlen(text);
  if (length > static_cast<size_t>(INT32_MAX) - 4 || int64_t{Size()} + 4 + length > INT32_MAX)
    return -1;
  const int32_t stored = static_cast<int32_t>(length);
  const int oldSize = Size();
  if (AppendValue(stored) < 0)
    return -1;
  if (length > 0 && AppendBytes(text, stored) < 0)
  {
    mBytes.Resize(oldSize, false); // no half-written string
    return -1;
  }
  return Size();
}

int IByteChunk::AppendChunk(const IByteChunk& other)
{
  return AppendBytes(other.Data(), other.Size());
}

int IByteChunk::ReadBytes(void* out, int count, int pos) const
{
  if (!Fits(pos, count) || (count > 0 && !out))
    return -1;
  if (count > 0)
    std::memcpy(out, Data() + pos, static_cast<size_t>(count));
  return pos + count;
}

int IByteChunk::ReadBool(bool& value, int pos) const
{
  uint8_t byte = 0;
  pos = ReadBytes(&byte, 1, pos);
  if (pos >= 0)
    value = byte != 0;
  return pos;
}

int IByteChunk::ReadString(Util_String& text, int pos) const
{
  int32_t length = 0;
  const int start = ReadValue(length, pos);
  if (start < 0 || length < 0 || !Fits(start, length))
    return -1;
  if (length == 0)
    text.Set("");
  else
    text.Set(reinterpret_cast<const char*>(Data() + start), length);
  return start + length;
}

bool IByteChunk::IsEqual(const IByteChunk& other) const
{
  return Size() == other.Size() && (Size() == 0 || std::memcmp(Data(), other.Data(), Size()) == 0);
}

} // namespace plugin
