#include "accounts/store_lock_name.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Every launcher process must arrive at the same name, whatever it was built
// with: the hash is fixed by its published test values and the byte order.
TEST(StoreLockNameTest, HashIsFnv1a64OverLittleEndianUnits) {
  EXPECT_EQ(Fnv1a64(u""), 0xcbf29ce484222325ULL);
  // The units of u"a" are the bytes 'a' 0, of u"\x6100" the bytes 0 'a'.
  EXPECT_NE(Fnv1a64(u"a"), Fnv1a64(u"\x6100"));
  // FNV-1a 64 of the two bytes "a\0".
  EXPECT_EQ(Fnv1a64(u"a"), 0x089be207b544f1e4ULL);
}

TEST(StoreLockNameTest, NameIsSessionLocalShortAndDiffersBetweenPaths) {
  const std::string name = StoreLockName(u"C:\\GAMES\\ZELMORA\\ACCOUNTS.DAT");
  EXPECT_EQ(name.rfind("Local\\zlm-accounts-", 0), 0u) << name;
  EXPECT_EQ(name.size(), std::string("Local\\zlm-accounts-").size() + 16) << name;
  EXPECT_EQ(name.find_first_not_of("0123456789abcdef", 19), std::string::npos) << name;
  EXPECT_EQ(StoreLockName(u"C:\\GAMES\\ZELMORA\\ACCOUNTS.DAT"), name);
  EXPECT_NE(StoreLockName(u"D:\\GAMES\\ZELMORA\\ACCOUNTS.DAT"), name);
  EXPECT_NE(StoreLockName(u"C:\\GAMES\\ZELMORA\\ACCOUNTS.DA"), name);
}

// The restart lock of an install folder and the store lock of a file in it
// are different objects: the prefix keeps them apart, the hash is the same.
TEST(StoreLockNameTest, APrefixNamesAnotherLockOfTheSamePath) {
  const std::u16string_view folder = u"C:\\GAMES\\ZELMORA";
  const std::string restart = PathLockName("Local\\zlm-restart-", folder);
  EXPECT_EQ(restart, "Local\\zlm-restart-" + StoreLockName(folder).substr(19));
  EXPECT_NE(restart, StoreLockName(folder));
  EXPECT_EQ(PathLockName("", folder).size(), 16u);
}

}  // namespace
