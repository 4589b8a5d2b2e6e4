// The status bar says what a picked element is, from the data its
// generator drew it from: the shell's name and thickness, the drilling's
// diameter and depth, ...

#include "tests/host/desktop/host_window_fixture.h"
#include "host/desktop/zun_host_pick_info.h"
#include "host/zun_part_image.h"
#include "render/qt/zun_qstring.h"

#include <set>

namespace {

struct InfoCase {
    const char* name;
    const char* handle;
    const char* language;
    const char* expected;  // said about one of the part's groups
};

class HostPickInfo : public HostWindowFixture, public ::testing::WithParamInterface<InfoCase> {};

} // namespace

TEST_P(HostPickInfo, ThePickedElementIsNamedByWhatItIs)
{
    const InfoCase& c = GetParam();
    m_window->setLanguage(QString::fromLatin1(c.language));
    m_window->showNode(m_window->partNode(QString::fromLatin1(c.handle)));
    const QString expected = QString::fromUtf8(c.expected);
    QStringList said;
    for (int group : m_window->scene().groups()) {
        ASSERT_TRUE(m_window->pickGroup(group));
        said.append(m_window->pickText());
    }
    EXPECT_EQ(said.filter(expected).size(), 1) << said.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Parts, HostPickInfo,
    ::testing::Values(InfoCase{"Shell", "4D", "de", "Schale Dämmung: Dicke 120"},
                      InfoCase{"ShellInEnglish", "4D", "en", "Shell Insulation: thickness 120"},
                      InfoCase{"Drilling", "D1", "de", "Bohrung: Ø 22"},
                      InfoCase{"DrillingOfAPattern", "D4", "en", "Drilling A1: Ø 33"},
                      InfoCase{"Thread", "D4", "de", "Gewinde L2: M20, Kernloch Ø 17.5"},
                      InfoCase{"Outline", "D4", "en", "Outline PLATE: type 13, 300"},
                      InfoCase{"Slots", "D4", "en", "Contours SLOTS: 2"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HostWindowFixture, EachSubPartOfAHolePatternIsOneGroupWithItsDescription)
{
    const ZUN::CZunPart* plate = ZUN::drawingCurrent().partByHandle(L"D4");
    ASSERT_NE(plate, nullptr);
    CZunGDX list;
    CZunDataItem info(true);
    ASSERT_TRUE(zunPartImageBuild(*plate, list, info));
    // PLATE, SLOTS, A1..A4, L1, L2.
    EXPECT_EQ(info.childCount(), 8);
    std::set<int> groups;
    for (const CZunDisplayItem& item : list.getDisplayList()) {
        ASSERT_FALSE(item.stack.isEmpty());
        groups.insert(item.stack.get(0));
    }
    EXPECT_EQ(groups, (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    const auto text = [&](int group) {
        return zunGroupInfoText(info, group, QStringLiteral("de"), [](double v) { return QString::number(v); });
    };
    QStringList texts;
    for (int group : groups)
        texts.append(text(group));
    EXPECT_EQ(texts.filter(QStringLiteral("Bohrung A")).size(), 4) << texts.join('\n').toStdString();
    EXPECT_EQ(texts.filter(QStringLiteral("Gewinde L")).size(), 2);
    EXPECT_TRUE(texts.contains(QStringLiteral("Umriss PLATE: Typ 13, 300 × 400 × 20"))) << texts.join('\n').toStdString();
    EXPECT_TRUE(text(99).isEmpty()) << "a group the generator told nothing about";
}
