#pragma once
// Names the rows of a parameterised test after their `name` member, so a failing row
// says which case it is: INSTANTIATE_TEST_SUITE_P(Rows, Suite, Values(...), test::rowName).
#include <string>

namespace harkola::test {

inline constexpr auto rowName = [](const auto& info) { return std::string(info.param.name); };

}  // namespace harkola::test
