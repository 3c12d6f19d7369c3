// CefListValue and CefProcessMessage.

#include <limits.h>
#include <stdint.h>

#include <string>

#include "gtest/gtest.h"
#include "include/cef_process_message.h"
#include "include/cef_values.h"
#include "process_message_impl.h"

namespace {

// One element of each supported type, as the message router sends them.
CefRefPtr<CefListValue> Sample() {
  CefRefPtr<CefListValue> list = CefListValue::Create();
  list->SetNull(0);
  list->SetBool(1, true);
  list->SetInt(2, -7);
  list->SetDouble(3, 2.5);
  list->SetString(4, L"acc:list");
  CefRefPtr<CefListValue> nested = CefListValue::Create();
  nested->SetInt(0, 42);
  list->SetList(5, nested);
  return list;
}

TEST(ListValue, GettersReturnTheValueOrTheTypeDefault) {
  CefRefPtr<CefListValue> list = Sample();
  const struct {
    CefValueType type;
    bool as_bool;
    int as_int;
    double as_double;
    const char* as_string;
    bool has_list;
  } expected[] = {
      {VTYPE_NULL, false, 0, 0.0, "", false},
      {VTYPE_BOOL, true, 0, 0.0, "", false},
      {VTYPE_INT, false, -7, -7.0, "", false},
      {VTYPE_DOUBLE, false, 0, 2.5, "", false},
      {VTYPE_STRING, false, 0, 0.0, "acc:list", false},
      {VTYPE_LIST, false, 0, 0.0, "", true},
      {VTYPE_INVALID, false, 0, 0.0, "", false},
  };
  ASSERT_EQ(6u, list->GetSize());
  for (int i = 0; i < 7; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(expected[i].type, list->GetType(i));
    EXPECT_EQ(expected[i].as_bool, list->GetBool(i));
    EXPECT_EQ(expected[i].as_int, list->GetInt(i));
    EXPECT_EQ(expected[i].as_double, list->GetDouble(i));
    EXPECT_EQ(expected[i].as_string, list->GetString(i).ToString());
    EXPECT_EQ(expected[i].has_list, list->GetList(i).get() != nullptr);
  }
  EXPECT_EQ(VTYPE_INVALID, list->GetType(-1));
  EXPECT_EQ(0, list->GetInt(-1));
  EXPECT_EQ(42, list->GetList(5)->GetInt(0));
}

TEST(ListValue, SettingPastTheEndGrowsWithNulls) {
  CefRefPtr<CefListValue> list = CefListValue::Create();
  ASSERT_TRUE(list->SetInt(3, 9));
  ASSERT_EQ(4u, list->GetSize());
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(VTYPE_NULL, list->GetType(i));
  EXPECT_EQ(9, list->GetInt(3));

  EXPECT_TRUE(list->SetSize(6));
  EXPECT_EQ(VTYPE_NULL, list->GetType(5));
  EXPECT_TRUE(list->SetSize(2));
  EXPECT_EQ(2u, list->GetSize());
  EXPECT_TRUE(list->Clear());
  EXPECT_EQ(0u, list->GetSize());
}

TEST(ListValue, RefusedWritesLeaveTheListUnchanged) {
  CefRefPtr<CefListValue> list = Sample();
  CefRefPtr<CefListValue> before = list->Copy();
  EXPECT_FALSE(list->SetInt(-1, 1));
  EXPECT_FALSE(list->SetString(INT_MAX, "too far"));
  EXPECT_FALSE(list->SetBinary(0, nullptr));
  EXPECT_FALSE(list->SetDictionary(0, nullptr));
  EXPECT_FALSE(list->SetValue(0, nullptr));
  EXPECT_FALSE(list->SetList(0, nullptr));
  EXPECT_FALSE(list->Remove(6));
  EXPECT_FALSE(list->Remove(-1));
  EXPECT_TRUE(list->IsEqual(before));
  EXPECT_EQ(nullptr, list->GetValue(0).get());
  EXPECT_EQ(nullptr, list->GetBinary(0).get());
  EXPECT_EQ(nullptr, list->GetDictionary(0).get());
}

TEST(ListValue, RemoveShiftsLaterElements) {
  CefRefPtr<CefListValue> list = Sample();
  ASSERT_TRUE(list->Remove(1));
  EXPECT_EQ(5u, list->GetSize());
  EXPECT_EQ(-7, list->GetInt(1));
  EXPECT_EQ("acc:list", list->GetString(3).ToString());
}

TEST(ListValue, CopyIsDeepAndEqualButNotSame) {
  CefRefPtr<CefListValue> list = Sample();
  CefRefPtr<CefListValue> copy = list->Copy();
  EXPECT_TRUE(copy->IsEqual(list));
  EXPECT_FALSE(copy->IsSame(list));
  EXPECT_TRUE(list->IsSame(list));
  EXPECT_FALSE(copy->IsOwned());

  copy->GetList(5)->SetInt(0, 43);
  EXPECT_EQ(42, list->GetList(5)->GetInt(0));
  EXPECT_FALSE(copy->IsEqual(list));
  EXPECT_FALSE(list->IsEqual(nullptr));
}

// As in 2623: a list of nobody's is taken over (the caller's reference goes
// invalid), one that belongs to another object is copied.
TEST(ListValue, NestedListBelongsToItsParent) {
  CefRefPtr<CefListValue> source = CefListValue::Create();
  source->SetString(0, "a");
  CefRefPtr<CefListValue> parent = CefListValue::Create();
  ASSERT_TRUE(parent->SetList(0, source));
  EXPECT_FALSE(source->IsValid()) << "taken over";
  EXPECT_FALSE(source->SetString(0, "changed after insertion"));

  CefRefPtr<CefListValue> child = parent->GetList(0);
  EXPECT_EQ("a", child->GetString(0).ToString());
  EXPECT_TRUE(child->IsOwned());

  child->SetInt(1, 5);
  EXPECT_EQ(5, parent->GetList(0)->GetInt(1));

  parent->SetInt(0, 1);
  EXPECT_FALSE(child->IsValid());
  EXPECT_EQ(0u, child->GetSize());
  EXPECT_FALSE(child->SetInt(0, 1));
  EXPECT_FALSE(child->Copy());

  EXPECT_FALSE(parent->SetList(1, parent)) << "a list cannot hold itself";

  CefRefPtr<CefListValue> other = CefListValue::Create();
  other->SetString(0, "b");
  ASSERT_TRUE(parent->SetList(1, other));
  CefRefPtr<CefListValue> owned = parent->GetList(1);
  CefRefPtr<CefListValue> second = CefListValue::Create();
  ASSERT_TRUE(second->SetList(0, owned));
  EXPECT_TRUE(owned->IsValid()) << "copied from its owner, which keeps it";
  EXPECT_EQ("b", second->GetList(0)->GetString(0).ToString());
  EXPECT_FALSE(second->GetList(0)->IsSame(owned));
}

TEST(ProcessMessage, CreateCopyAndArguments) {
  CefRefPtr<CefProcessMessage> message =
      CefProcessMessage::Create("cefQueryMsg");
  ASSERT_TRUE(message);
  EXPECT_TRUE(message->IsValid());
  EXPECT_FALSE(message->IsReadOnly());
  EXPECT_EQ("cefQueryMsg", message->GetName().ToString());

  CefRefPtr<CefListValue> args = message->GetArgumentList();
  EXPECT_TRUE(args->IsSame(message->GetArgumentList()));
  EXPECT_TRUE(args->IsOwned());
  args->SetInt(0, 1);

  CefRefPtr<CefProcessMessage> copy = message->Copy();
  EXPECT_FALSE(copy->IsReadOnly());
  copy->GetArgumentList()->SetInt(0, 2);
  EXPECT_EQ(1, args->GetInt(0));
}

TEST(ProcessMessage, ReceivedCopyIsFrozenAndIndependent) {
  CefRefPtr<CefProcessMessage> sent = CefProcessMessage::Create("reply");
  CefRefPtr<CefListValue> args = sent->GetArgumentList();
  args->SetInt(0, 3);
  CefRefPtr<CefListValue> nested = CefListValue::Create();
  nested->SetString(0, "inner");
  args->SetList(1, nested);

  CefRefPtr<CefProcessMessage> received =
      CefProcessMessageImpl::CopyAsReceived(sent);
  ASSERT_TRUE(received);
  args->SetInt(0, 4);

  CefRefPtr<CefListValue> got = received->GetArgumentList();
  EXPECT_TRUE(received->IsReadOnly());
  EXPECT_TRUE(got->IsReadOnly());
  EXPECT_EQ(3, got->GetInt(0));
  EXPECT_FALSE(got->SetInt(0, 5));
  EXPECT_FALSE(got->Clear());
  EXPECT_FALSE(got->SetSize(0));
  EXPECT_FALSE(got->Remove(0));
  EXPECT_FALSE(got->GetList(1)->SetInt(0, 1));
  EXPECT_EQ("inner", got->GetList(1)->GetString(0).ToString());

  CefRefPtr<CefProcessMessage> writable = received->Copy();
  EXPECT_FALSE(writable->IsReadOnly());
  EXPECT_TRUE(writable->GetArgumentList()->SetInt(0, 6));
  EXPECT_TRUE(writable->GetArgumentList()->GetList(1)->SetInt(0, 1));

  EXPECT_FALSE(CefProcessMessageImpl::CopyAsReceived(nullptr));

  // After the receiver's handler returned, the message is detached.
  static_cast<CefProcessMessageImpl*>(received.get())->Detach();
  EXPECT_FALSE(received->IsValid());
  EXPECT_FALSE(received->GetArgumentList());
  EXPECT_FALSE(received->Copy());
  EXPECT_FALSE(got->IsValid());
  EXPECT_EQ(0, got->GetInt(0));
}

// Frame ids travel through messages as two ints.
TEST(Int64Halves, SplitAndJoinAreInverse) {
  const int64 values[] = {0, 1, -1, 0x7FFFFFFF, 0x80000000LL,
                          -0x80000000LL, 0x123456789ALL, INT64_MIN,
                          INT64_MAX};
  for (int64 value : values) {
    SCOPED_TRACE(value);
    const int32 low = CefInt64GetLow(value);
    const int32 high = CefInt64GetHigh(value);
    EXPECT_EQ(value, CefInt64Set(low, high));
  }
  EXPECT_EQ(-1, CefInt64GetHigh(-1LL));
  EXPECT_EQ(1, CefInt64GetHigh(0x100000000LL));
  EXPECT_EQ(static_cast<int32>(0x89ABCDEF), CefInt64GetLow(0x0123456789ABCDEFLL));
}

}  // namespace
