// The local paths of a dropped text/uri-list: what a file manager sends, and what is refused.

#include "framework/graphics/platforms/linux/XDnd.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace
{

using plugin::igraphics::LocalPathsFromURIList;

TEST(URIList, LocalFilesAreDecodedAndAnythingElseRefusesTheWholeList)
{
  char host[256] = {};
  gethostname(host, sizeof(host) - 1);
  struct Case
  {
    std::string list;
    std::vector<std::string> paths; // empty: refused
  };
  const Case cases[] = {
    {"file:///home/u/a%20b.wav\r\n", {"/home/u/a b.wav"}},
    {"file:///a\nfile://localhost/b%2Fc\n", {"/a", "/b/c"}}, // LF alone; an escaped slash
    {"# comment\r\n\r\nfile:///x/caf%c3%A9\r\nfile:/y", {"/x/caf\xC3\xA9", "/y"}},
    {"FILE:///z%231%3Fq", {"/z#1?q"}},
    {"file:///z#1", {}}, // a fragment
    {"file:///z?q", {}}, // a query
    {"file://" + std::string(host) + "/h", {"/h"}},
    {"file:///a\r\nhttp://example.com/b\r\n", {}}, // one that is not a file refuses all
    {"file://elsewhere.example/a", {}},            // another machine's file
    {"file:relative/a", {}},
    {"file://", {}},
    {"file:///a%2", {}},     // a cut escape
    {"file:///a%g0", {}},    // not hex
    {"file:///a%00b", {}},   // NUL
    {"file:///a%ff%fe", {}}, // not UTF-8
    {"/tmp/a.wav", {}},      // not a URI
    {"# only a comment\r\n", {}},
    {"", {}},
    // Raw control bytes inside a URI refuse the list; their escapes are decoded.
    {std::string("file:///etc/passwd\0.wav", 23), {}},
    {"file:///a\rb.wav\r\n", {}},
    {"file:///a\x01.wav", {}},
    {"file:///a\x1b[31m.wav", {}},
    {"file:///a\tb", {}},
    {"file:///a\x7f", {}},
    {"file:///ok.wav\r\nfile:///a\x1f", {}},
    {"file:///a%0Db%1B%7F%09 c~", {"/a\rb\x1b\x7f\t c~"}},
    {"# a comment may hold \x01\r\nfile:///\xC3\xA9", {"/\xC3\xA9"}},
  };
  for (const Case& c : cases)
  {
    std::vector<std::string> paths = {"left over"};
    EXPECT_EQ(LocalPathsFromURIList(c.list, paths), !c.paths.empty()) << c.list;
    EXPECT_EQ(paths, c.paths) << c.list;
  }
}

} // namespace
