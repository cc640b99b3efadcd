// Tables of cases for parameterized tests: a case that has a name shows it
// as the test's name and in failure messages. A test file brings both in
// with "using support::CaseName; using support::PrintTo;" in the namespace
// of its cases, where GoogleTest looks for PrintTo.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

namespace pellix::support {

template <typename Case>
concept NamedCase = requires(const Case& c) {
    std::string_view(c.name);
};

// For INSTANTIATE_TEST_SUITE_P: the test's name is the case's name.
struct CaseName {
    template <typename Info>
    std::string operator()(const Info& info) const {
        return std::string(info.param.name);
    }
};

template <NamedCase Case>
void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

}  // namespace pellix::support
