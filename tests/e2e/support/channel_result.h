// The outcome of one page-channel call: a value, or why there is none.
#ifndef ZLM_TESTS_E2E_SUPPORT_CHANNEL_RESULT_H_
#define ZLM_TESTS_E2E_SUPPORT_CHANNEL_RESULT_H_

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

namespace e2e {

template <typename T>
class ChannelResult {
 public:
  static ChannelResult Success(T value) {
    ChannelResult result;
    result.value_ = std::move(value);
    return result;
  }
  static ChannelResult Failure(std::string error) {
    ChannelResult result;
    result.error_ = std::move(error);
    return result;
  }

  // For ASSERT_TRUE(result.ok()): a failure carries the reason.
  testing::AssertionResult ok() const {
    if (value_)
      return testing::AssertionSuccess();
    return testing::AssertionFailure() << error_;
  }
  explicit operator bool() const { return value_.has_value(); }

  // Reading a failed result throws, so a test that forgot to assert fails
  // with the reason instead of reading garbage.
  const T& operator*() const { return Value(); }
  const T* operator->() const { return &Value(); }
  const std::string& error() const { return error_; }

 private:
  ChannelResult() = default;

  const T& Value() const {
    if (!value_)
      throw std::logic_error("no value: " + error_);
    return *value_;
  }

  std::optional<T> value_;
  std::string error_;
};

}  // namespace e2e

#endif  // ZLM_TESTS_E2E_SUPPORT_CHANNEL_RESULT_H_
