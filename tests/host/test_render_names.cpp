// File names of zun-render's pictures: each name once, letter case aside.

#include "host/zun_render_inputs.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct NamesCase {
    const char* what;
    std::vector<QString> bases;
    std::vector<QString> expected;
};

class RenderNames : public ::testing::TestWithParam<NamesCase> {};

TEST_P(RenderNames, EachNameOnce)
{
    ZunRenderNames names;
    std::vector<QString> got;
    for (const QString& base : GetParam().bases)
        got.push_back(names.unique(base));
    EXPECT_EQ(got, GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, RenderNames,
    ::testing::Values(NamesCase{"distinct", {"a", "b"}, {"a", "b"}},
                      NamesCase{"repeated", {"a", "a", "a"}, {"a", "a_2", "a_3"}},
                      NamesCase{"case aside", {"Plate", "plate", "PLATE"}, {"Plate", "plate_2", "PLATE_3"}},
                      NamesCase{"a numbered name taken first", {"a_2", "a", "a", "a"}, {"a_2", "a", "a_3", "a_4"}},
                      NamesCase{"a numbered name taken later", {"a", "a", "a_3", "a"}, {"a", "a_2", "a_3", "a_4"}},
                      NamesCase{"numbers of numbers", {"a", "a", "a_2"}, {"a", "a_2", "a_2_2"}}));

TEST(RenderNames, ThousandsOfOneNameStayDistinct)
{
    ZunRenderNames names;
    QSet<QString> seen;
    for (int i = 0; i < 20000; ++i)
        seen.insert(names.unique(QStringLiteral("part")).toLower());
    EXPECT_EQ(seen.size(), 20000);
    EXPECT_EQ(names.unique(QStringLiteral("PART")), QStringLiteral("PART_20001"));
}

} // namespace
