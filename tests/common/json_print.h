// gtest prints values it cannot print otherwise as containers; a JSON value
// iterates over itself, so a failing check on one would recurse without end.
// Found by argument-dependent lookup for every nlohmann value in a check.
#ifndef ZLM_TESTS_COMMON_JSON_PRINT_H_
#define ZLM_TESTS_COMMON_JSON_PRINT_H_

#include <nlohmann/json.hpp>

#include <ostream>

namespace nlohmann {

inline void PrintTo(const json& value, std::ostream* os) { *os << value.dump(); }
inline void PrintTo(const ordered_json& value, std::ostream* os) { *os << value.dump(); }

}  // namespace nlohmann

#endif  // ZLM_TESTS_COMMON_JSON_PRINT_H_
