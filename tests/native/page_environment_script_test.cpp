// The constant that the renderer runs must be the reviewed and browser-tested
// page_environment.js, byte for byte.

#include "app/page_environment_script.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

namespace {

TEST(PageEnvironmentScriptTest, ConstantEqualsTheScriptFile) {
  std::ifstream in(PAGE_ENVIRONMENT_JS_PATH, std::ios::binary);
  ASSERT_TRUE(in.is_open()) << "cannot read " << PAGE_ENVIRONMENT_JS_PATH;
  const std::string file((std::istreambuf_iterator<char>(in)),
                         std::istreambuf_iterator<char>());
  ASSERT_FALSE(file.empty());

  ASSERT_EQ(kPageEnvironmentScriptSize, file.size());
  EXPECT_EQ(std::string(kPageEnvironmentScript, kPageEnvironmentScriptSize), file);
}

// Callers may hand the text on as a C string; an inner NUL would cut it short.
TEST(PageEnvironmentScriptTest, ConstantIsOneTerminatedString) {
  EXPECT_EQ(kPageEnvironmentScript[kPageEnvironmentScriptSize], '\0');
  EXPECT_EQ(std::strlen(kPageEnvironmentScript), kPageEnvironmentScriptSize);
}

}  // namespace
