#include "app/engine/path_pattern.h"

#include <gtest/gtest.h>

namespace bkvp::engine {
namespace {

bool M(const char* pattern, const char* path) { return PathPattern(pattern).Matches(path); }

TEST(PathPattern, StarAndQuestionMarkStayWithinOneFolder) {
  EXPECT_TRUE(M("/home/ann/*.txt", "/home/ann/a.txt"));
  EXPECT_FALSE(M("/home/ann/*.txt", "/home/ann/sub/a.txt"));
  EXPECT_TRUE(M("/home/ann/?.txt", "/home/ann/a.txt"));
  EXPECT_FALSE(M("/home/ann/?.txt", "/home/ann/ab.txt"));
  EXPECT_FALSE(M("/home/*", "/home"));
  EXPECT_FALSE(M("/home/ann/*.TXT", "/home/ann/a.txt"));
}

TEST(PathPattern, DoubleStarCrossesFolders) {
  EXPECT_TRUE(M("/home/**/*.txt", "/home/ann/docs/a.txt"));
  EXPECT_TRUE(M("/home/**/*.txt", "/home/a.txt"));
  EXPECT_TRUE(M("**/report.odt", "/srv/x/y/report.odt"));
  EXPECT_FALSE(M("/home/**/*.txt", "/srv/a.txt"));
}

TEST(PathPattern, AFolderPicksEverythingBelowIt) {
  EXPECT_TRUE(M("/home/ann/docs", "/home/ann/docs/a/b.txt"));
  EXPECT_TRUE(M("/home/ann/docs/", "/home/ann/docs/b.txt"));
  EXPECT_TRUE(M("/home/*/docs", "/home/bob/docs/b.txt"));
  EXPECT_FALSE(M("/home/ann/doc", "/home/ann/docs/b.txt"));
}

TEST(PathPattern, ANameWithoutSlashMatchesInAnyFolder) {
  EXPECT_TRUE(M("*.md", "/home/ann/docs/README.md"));
  EXPECT_TRUE(M("docs", "/home/ann/docs/a/b.txt"));
  EXPECT_FALSE(M("*.md", "/home/ann/docs/README.mdx"));
  EXPECT_FALSE(M("doc", "/home/ann/docs/b.txt"));
  EXPECT_EQ(PathPattern("*.md").text(), "*.md");
}

TEST(PathPattern, ManyStarsOnALongPathEndQuickly) {
  const std::string path = "/" + std::string(4000, 'a');
  EXPECT_FALSE(M("/*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b", path.c_str()));
  EXPECT_FALSE(M("**a**a**a**a**a**a**a**a**a**a**a**b", path.c_str()));
}

}  // namespace
}  // namespace bkvp::engine
