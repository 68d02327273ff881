#include "CaseMapping.h"

#include <gtest/gtest.h>

#include <string>

namespace cendrel {
namespace {

struct UpperCase {
    std::string in;
    std::string out;
};

class CaseMappingTest : public testing::TestWithParam<UpperCase> {};

TEST_P(CaseMappingTest, UppercasesWithTheDefaultFullMapping)
{
    EXPECT_EQ(uppercased(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(Texts, CaseMappingTest,
                         testing::Values(UpperCase{"", ""}, UpperCase{"l", "L"}, UpperCase{"L", "L"},
                                         UpperCase{"1", "1"}, UpperCase{";", ";"}, UpperCase{" ", " "},
                                         UpperCase{"\r", "\r"}, UpperCase{"é", "É"}, UpperCase{"ü", "Ü"},
                                         // Full mapping: one character may become two or three.
                                         UpperCase{"ß", "SS"}, UpperCase{"ﬃ", "FFI"}, UpperCase{"ŉ", "ʼN"},
                                         // Not tailored: Turkish dotless rules do not apply.
                                         UpperCase{"i", "I"}, UpperCase{"ı", "I"}, UpperCase{"ж", "Ж"},
                                         UpperCase{"ω", "Ω"}, UpperCase{"𐐨", "𐐀"}, UpperCase{"ⓐ", "Ⓐ"},
                                         // Invalid UTF-8 passes through byte for byte.
                                         UpperCase{"a\xff"
                                                   "b",
                                                   "A\xff"
                                                   "B"},
                                         UpperCase{"\xc3", "\xc3"}, UpperCase{"\xed\xa0\x80", "\xed\xa0\x80"}));

} // namespace
} // namespace cendrel
