// CefString, the C string functions and the structure wrappers that own
// strings.

#include <stddef.h>

#include <string>
#include <type_traits>
#include <vector>

#include "gtest/gtest.h"
#include "include/cef_base.h"
#include "include/internal/cef_string_list.h"

// gtest would print a CefString through the SDK's wide-string operator<<, which
// 2623 declares globally but defines inside cef::logging: no client can link it.
void PrintTo(const CefStringUTF16& value, std::ostream* out) {
  *out << '"' << value.ToString() << '"';
}

namespace {

std::u16string U16(const cef_string_utf16_t& s) {
  return s.length ? std::u16string(reinterpret_cast<const char16_t*>(s.str),
                                   s.length)
                  : std::u16string();
}

std::string U8(const cef_string_utf8_t& s) {
  return s.length ? std::string(s.str, s.length) : std::string();
}

struct Utf8Case {
  const char* name;
  std::string input;
  std::u16string expected;
  int result;
};

TEST(StringConversion, Utf8ToUtf16ReplacesEachMaximalInvalidSubpart) {
  const Utf8Case cases[] = {
      {"ascii", "abc", u"abc", 1},
      {"two three four bytes", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80",
       u"\u00E9\u20AC\U0001F600", 1},
      {"embedded nul", std::string("a\0b", 3), std::u16string(u"a\0b", 3), 1},
      {"noncharacter is kept", "\xEF\xBF\xBF", u"\uFFFF", 1},
      {"lone continuation", "a\x80z", u"a\uFFFDz", 0},
      {"overlong nul", "\xC0\x80", u"\uFFFD\uFFFD", 0},
      {"overlong three byte", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD", 0},
      {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD", 0},
      {"above U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD", 0},
      {"invalid lead", "\xF5\x80", u"\uFFFD\uFFFD", 0},
      {"truncated in the middle", "\xE2\x82" "A", u"\uFFFDA", 0},
      {"truncated at the end", "x\xF0\x9F\x98", u"x\uFFFD", 0},
  };
  for (const Utf8Case& c : cases) {
    SCOPED_TRACE(c.name);
    cef_string_utf16_t out = {};
    EXPECT_EQ(c.result,
              cef_string_utf8_to_utf16(c.input.data(), c.input.size(), &out));
    EXPECT_EQ(c.expected, U16(out));
    cef_string_utf16_clear(&out);
  }
}

TEST(StringConversion, Utf16ToUtf8ReplacesUnpairedSurrogates) {
  const struct {
    const char* name;
    std::u16string input;
    std::string expected;
    int result;
  } cases[] = {
      {"bmp", u"a\u00E9\u20AC", "a\xC3\xA9\xE2\x82\xAC", 1},
      {"pair", u"\U0001F600", "\xF0\x9F\x98\x80", 1},
      {"high at end", u"a\xD83D", "a\xEF\xBF\xBD", 0},
      {"high then letter", u"\xD83Dz", "\xEF\xBF\xBDz", 0},
      {"low alone", u"\xDE00z", "\xEF\xBF\xBDz", 0},
      {"two highs", u"\xD83D\xD83D\xDE00", "\xEF\xBF\xBD\xF0\x9F\x98\x80", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cef_string_utf8_t out = {};
    EXPECT_EQ(c.result, cef_string_utf16_to_utf8(
                            reinterpret_cast<const char16*>(c.input.data()),
                            c.input.size(), &out));
    EXPECT_EQ(c.expected, U8(out));
    cef_string_utf8_clear(&out);
  }
}

TEST(StringConversion, AsciiRefusesHighBytes) {
  cef_string_utf16_t out = {};
  EXPECT_EQ(1, cef_string_ascii_to_utf16("ok", 2, &out));
  EXPECT_EQ(u"ok", U16(out));
  EXPECT_EQ(0, cef_string_ascii_to_utf16("a\xE9", 2, &out));
  EXPECT_EQ(u"a\uFFFD", U16(out));
  cef_string_utf16_clear(&out);
}

TEST(StringConversion, EmptyOrNullSourceGivesEmptyString) {
  cef_string_utf16_t out = {};
  cef_string_utf8_to_utf16("abc", 3, &out);
  EXPECT_EQ(1, cef_string_utf8_to_utf16(nullptr, 5, &out));
  EXPECT_EQ(0u, out.length);
  EXPECT_EQ(nullptr, out.str);

  cef_string_utf8_t out8 = {};
  EXPECT_EQ(1, cef_string_utf16_to_utf8(L"", 0, &out8));
  EXPECT_EQ(0u, out8.length);
  EXPECT_EQ(0, cef_string_utf8_to_utf16("x", 1, nullptr));
}

TEST(StringSet, CopyOwnsAndReferenceBorrows) {
  wchar_t source[] = L"hello";
  cef_string_utf16_t copied = {};
  ASSERT_EQ(1, cef_string_utf16_set(source, 5, &copied, 1));
  ASSERT_NE(nullptr, copied.dtor);
  EXPECT_NE(source, copied.str);
  EXPECT_EQ(L'\0', copied.str[5]);
  source[0] = L'j';
  EXPECT_EQ(u"hello", U16(copied));

  cef_string_utf16_t borrowed = {};
  ASSERT_EQ(1, cef_string_utf16_set(source, 5, &borrowed, 0));
  EXPECT_EQ(source, borrowed.str);
  EXPECT_EQ(nullptr, borrowed.dtor);
  cef_string_utf16_clear(&borrowed);
  EXPECT_EQ(u"jello", std::u16string(reinterpret_cast<char16_t*>(source)));

  cef_string_utf16_clear(&copied);
  EXPECT_EQ(nullptr, copied.str);
  EXPECT_EQ(0u, copied.length);
  EXPECT_EQ(nullptr, copied.dtor);
  cef_string_utf16_clear(nullptr);
}

TEST(StringSet, SourceInsideTheOutputsOwnBuffer) {
  for (int copy : {1, 0}) {
    SCOPED_TRACE(copy);
    cef_string_utf16_t s = {};
    cef_string_utf16_set(L"abcdef", 6, &s, 1);
    ASSERT_EQ(1, cef_string_utf16_set(s.str + 2, 3, &s, copy));
    EXPECT_EQ(u"cde", U16(s));
    EXPECT_NE(nullptr, s.dtor);
    cef_string_utf16_clear(&s);
  }

  CefString self("same");
  const CefString& alias = self;
  self = alias;
  EXPECT_EQ("same", self.ToString());
}

TEST(StringCompare, OrdersByCodeUnitThenLength) {
  const struct {
    std::wstring a;
    std::wstring b;
    int sign;
  } cases[] = {
      {L"", L"", 0},
      {L"abc", L"abc", 0},
      {L"ab", L"abc", -1},
      {L"abd", L"abc", 1},
      {L"\xFFFF", L"a", 1},
      {std::wstring(L"a\0b", 3), std::wstring(L"a\0c", 3), -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a.size() << "/" << c.b.size());
    cef_string_utf16_t a = {const_cast<wchar_t*>(c.a.data()), c.a.size(),
                            nullptr};
    cef_string_utf16_t b = {const_cast<wchar_t*>(c.b.data()), c.b.size(),
                            nullptr};
    const int r = cef_string_utf16_cmp(&a, &b);
    EXPECT_EQ(c.sign, (r > 0) - (r < 0));
    const int back = cef_string_utf16_cmp(&b, &a);
    EXPECT_EQ(-c.sign, (back > 0) - (back < 0));
  }

  char high[] = "\xC3";
  char low[] = "z";
  cef_string_utf8_t h = {high, 1, nullptr};
  cef_string_utf8_t l = {low, 1, nullptr};
  EXPECT_GT(cef_string_utf8_cmp(&h, &l), 0);
}

TEST(UserFree, StringHandedOverAndTakenBack) {
  CefString original(L"payload");
  cef_string_userfree_t handed = original.DetachToUserFree();
  ASSERT_NE(nullptr, handed);
  EXPECT_TRUE(original.empty());
  EXPECT_EQ(u"payload", U16(*handed));

  CefString taken;
  taken.AttachToUserFree(handed);
  EXPECT_EQ(L"payload", taken.ToWString());
  EXPECT_TRUE(taken.IsOwner());

  EXPECT_EQ(nullptr, CefString().DetachToUserFree());
  cef_string_userfree_utf16_free(cef_string_userfree_utf16_alloc());
  cef_string_userfree_utf16_free(nullptr);
}

TEST(CefStringWrapper, ConvertsBetweenEncodings) {
  const std::string utf8 = "Oyunda \xC3\xA7" "a\xC4\x9F\xF0\x9F\x8E\xAE";
  const std::wstring wide = L"Oyunda \u00E7a\u011F\U0001F3AE";
  EXPECT_EQ(wide, CefString(utf8).ToWString());
  EXPECT_EQ(utf8, CefString(wide).ToString());
  EXPECT_EQ(utf8, std::string(CefString(utf8.c_str())));
  EXPECT_EQ(wide, std::wstring(CefString(wide.c_str())));
  EXPECT_EQ(wide, CefString(utf8).ToString16());

  CefString ascii;
  EXPECT_TRUE(ascii.FromASCII("plain"));
  EXPECT_EQ(L"plain", ascii.ToWString());
  EXPECT_FALSE(ascii.FromString(std::string("\xFF")));
  EXPECT_EQ(L"\uFFFD", ascii.ToWString());
}

TEST(CefStringWrapper, EmptyAndNullForms) {
  const char* null_narrow = nullptr;
  const wchar_t* null_wide = nullptr;
  const CefString values[] = {CefString(), CefString(null_narrow),
                              CefString(null_wide), CefString(""),
                              CefString(std::wstring())};
  for (const CefString& value : values) {
    EXPECT_TRUE(value.empty());
    EXPECT_EQ(0u, value.length());
    EXPECT_EQ("", value.ToString());
    EXPECT_EQ(L"", value.ToWString());
    EXPECT_EQ(CefString(), value);
  }
  // The SDK's constructors take a null pointer, its assignments do not (they
  // build a std::string from it): never assign a pointer that may be null.
}

TEST(CefStringWrapper, AttachedStringWritesIntoTheStructure) {
  struct {
    cef_string_t field;
  } s = {};
  CefString(&s.field) = "cache";
  EXPECT_EQ(u"cache", U16(s.field));
  CefString(&s.field) = L"again";
  EXPECT_EQ(u"again", U16(s.field));
  cef_string_t& field = s.field;

  CefString view(&field);
  EXPECT_FALSE(view.IsOwner());
  EXPECT_EQ(L"again", view.ToWString());
  view.Detach();
  cef_string_clear(&field);
}

TEST(CefStringWrapper, ReferenceConstructorBorrowsCharacters) {
  std::wstring text = L"borrowed";
  CefString ref(text.data(), text.size(), false);
  text[0] = L'B';
  EXPECT_EQ(L"Borrowed", ref.ToWString());
  CefString copy(text.data(), text.size(), true);
  text[0] = L'x';
  EXPECT_EQ(L"Borrowed", copy.ToWString());
}

TEST(CefStringWrapper, OrderingAndSwap) {
  CefString a("apple");
  CefString b("banana");
  EXPECT_TRUE(a < b);
  EXPECT_TRUE(b > a);
  EXPECT_TRUE(a <= a);
  EXPECT_TRUE(a != b);
  EXPECT_LT(CefString().compare(a), 0);
  a.swap(b);
  EXPECT_EQ("banana", a.ToString());
  EXPECT_EQ("apple", b.ToString());
}

TEST(StringList, ValuesAreCopiedInAndOut) {
  cef_string_list_t list = cef_string_list_alloc();
  CefString first("one");
  cef_string_list_append(list, first.GetStruct());
  cef_string_list_append(list, CefString(L"two").GetStruct());
  cef_string_list_append(list, nullptr);
  first = "changed";
  EXPECT_EQ(2, cef_string_list_size(list));

  cef_string_list_t copy = cef_string_list_copy(list);
  cef_string_list_clear(list);
  EXPECT_EQ(0, cef_string_list_size(list));

  CefString value;
  ASSERT_TRUE(cef_string_list_value(copy, 0, value.GetWritableStruct()));
  EXPECT_EQ("one", value.ToString());
  ASSERT_TRUE(cef_string_list_value(copy, 1, value.GetWritableStruct()));
  EXPECT_EQ("two", value.ToString());
  for (int bad : {-1, 2}) {
    EXPECT_FALSE(cef_string_list_value(copy, bad, value.GetWritableStruct()));
  }
  EXPECT_EQ(0, cef_string_list_size(nullptr));
  EXPECT_EQ(nullptr, cef_string_list_copy(nullptr));

  cef_string_list_free(copy);
  cef_string_list_free(list);
  cef_string_list_free(nullptr);
}

// The real library refuses structures whose size differs from its own, so
// the wrappers must set it, and the field order must be that of the
// library.
static_assert(offsetof(cef_settings_t, persist_user_preferences) ==
                  offsetof(cef_settings_t, persist_session_cookies) +
                      sizeof(int),
              "persist_user_preferences follows persist_session_cookies");
static_assert(offsetof(cef_browser_settings_t, plugins) ==
                  offsetof(cef_browser_settings_t, caret_browsing) +
                      sizeof(cef_state_t),
              "no java field between caret_browsing and plugins");
static_assert(offsetof(cef_window_info_t, window_name) >
                  offsetof(cef_window_info_t, ex_style),
              "window info starts with the extended style");

TEST(StructWrappers, SettingsStartZeroedWithTheirSize) {
  CefSettings settings;
  EXPECT_EQ(sizeof(cef_settings_t), settings.size);
  EXPECT_EQ(0, settings.no_sandbox);
  EXPECT_EQ(LOGSEVERITY_DEFAULT, settings.log_severity);
  EXPECT_EQ(nullptr, settings.cache_path.str);

  CefBrowserSettings browser;
  EXPECT_EQ(sizeof(cef_browser_settings_t), browser.size);
  EXPECT_EQ(STATE_DEFAULT, browser.plugins);

  settings.log_severity = LOGSEVERITY_DISABLE;
  settings.Reset();
  EXPECT_EQ(sizeof(cef_settings_t), settings.size);
  EXPECT_EQ(LOGSEVERITY_DEFAULT, settings.log_severity);
}

TEST(StructWrappers, CopiesOwnTheirStrings) {
  CefSettings original;
  CefString(&original.cache_path) = L"C:\\app\\cache";
  original.persist_user_preferences = 1;

  CefSettings copy(original);
  CefSettings assigned;
  assigned = original;
  CefString(&original.cache_path) = L"other";

  for (const CefSettings* s : {&copy, &assigned}) {
    EXPECT_EQ(L"C:\\app\\cache", CefString(&s->cache_path).ToWString());
    EXPECT_NE(original.cache_path.str, s->cache_path.str);
    EXPECT_EQ(1, s->persist_user_preferences);
  }
}

TEST(StructWrappers, AttachAndDetachMoveOwnership) {
  cef_browser_settings_t raw = {};
  raw.size = sizeof(raw);
  cef_string_set(L"UTF-8", 5, &raw.default_encoding, true);

  {
    CefBrowserSettings wrapper;
    wrapper.AttachTo(raw);
    EXPECT_EQ(L"UTF-8", CefString(&wrapper.default_encoding).ToWString());
  }
  // An attached wrapper leaves the values with the structure.
  EXPECT_EQ(u"UTF-8", U16(raw.default_encoding));

  CefBrowserSettings owner;
  CefString(&owner.default_encoding) = "latin1";
  owner.DetachTo(raw);
  EXPECT_EQ(u"latin1", U16(raw.default_encoding));
  EXPECT_EQ(nullptr, owner.default_encoding.str);
  cef_string_clear(&raw.default_encoding);
}

TEST(StructWrappers, PopupFeaturesDefaultsAndFeatureList) {
  CefPopupFeatures features;
  EXPECT_TRUE(features.menuBarVisible && features.statusBarVisible &&
              features.toolBarVisible && features.locationBarVisible &&
              features.scrollbarsVisible && features.resizable);
  EXPECT_FALSE(features.fullscreen);

  features.additionalFeatures = cef_string_list_alloc();
  cef_string_list_append(features.additionalFeatures,
                         CefString("noopener").GetStruct());
  CefPopupFeatures copy(features);
  ASSERT_NE(features.additionalFeatures, copy.additionalFeatures);
  EXPECT_EQ(1, cef_string_list_size(copy.additionalFeatures));
  EXPECT_EQ(1, cef_string_list_size(features.additionalFeatures));
}

TEST(StructWrappers, WindowInfoPopupAndChild) {
  CefWindowInfo info;
  info.SetAsPopup(nullptr, "Title");
  EXPECT_EQ(static_cast<DWORD>(WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN |
                               WS_CLIPSIBLINGS | WS_VISIBLE),
            info.style);
  EXPECT_EQ(CW_USEDEFAULT, info.x);
  EXPECT_EQ(CW_USEDEFAULT, info.height);
  EXPECT_EQ(L"Title", CefString(&info.window_name).ToWString());

  CefWindowInfo copy(info);
  EXPECT_NE(info.window_name.str, copy.window_name.str);

  const RECT rect = {10, 20, 110, 220};
  info.SetAsChild(reinterpret_cast<HWND>(0x1234), rect);
  EXPECT_EQ(reinterpret_cast<HWND>(0x1234), info.parent_window);
  EXPECT_EQ(100, info.width);
  EXPECT_EQ(200, info.height);
  EXPECT_TRUE(info.style & WS_CHILD);
}

}  // namespace
