#include "tools/lsp/uri.h"

#include <gtest/gtest.h>

namespace scenario::lsp {
namespace {

TEST(Uri, TurnsFileUrisIntoPathsAndBack) {
  struct Case {
    std::string uri;
    std::string path;
  };
  const Case cases[] = {
      {"file:///tmp/s/Calvisio%20-Sambreta_linea.txt", "/tmp/s/Calvisio -Sambreta_linea.txt"},
      {"file:///tmp/Citt%C3%A0_1-.txt", "/tmp/Citt\xC3\xA0_1-.txt"},
      {"file:///C:/Scenari/Valle_linea.txt", "C:/Scenari/Valle_linea.txt"},
      {"file:///tmp/100%25_linea.txt", "/tmp/100%_linea.txt"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PathOfUri(c.uri), c.path) << c.uri;
    EXPECT_EQ(UriOfPath(c.path), c.uri) << c.path;
  }
  EXPECT_EQ(PathOfUri("file:///c%3A/x/a_linea.txt"), "c:/x/a_linea.txt");
  EXPECT_EQ(PathOfUri("file://localhost/tmp/a"), "/tmp/a");
  // The programs' names and back, whatever bytes the system gives them.
  for (const std::string uri : {"file:///tmp/Citt%C3%A0/Valle_linea.txt", "file:///C:/Scenari/Valle_42-.txt"}) {
    const std::optional<std::string> name = FileNameOfUri(uri);
    ASSERT_TRUE(name) << uri;
    EXPECT_EQ(UriOfFileName(*name), uri);
  }
  for (const char* other : {"untitled:Untitled-1", "file://server/share/a", "file:///a%2", "file:///a%zz", "file:///a%00"})
    EXPECT_EQ(PathOfUri(other), std::nullopt) << other;
}

}  // namespace
}  // namespace scenario::lsp
