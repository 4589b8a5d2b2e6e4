#include "contracts/data/zun_data_item.h"

#include <gtest/gtest.h>

namespace {

CZunVertexArray square(double size)
{
    CZunVertexArray vl;
    vl.append({0, 0}, {size, 0});
    vl.append({size, 0}, {size, size});
    vl.append({size, size}, {0, size}, 0.5);
    vl.append({0, size}, {0, 0});
    return vl;
}

} // namespace

TEST(DataKey, PathsAndComponentsNameTheSameItem)
{
    EXPECT_EQ(CZunDataKey(L"A\\B\\C").len(), 3);
    EXPECT_EQ(CZunDataKey(L"\\A\\\\B\\").toString(), L"A\\B");
    EXPECT_EQ((CZunDataKey{L"", L"DRAW"}), CZunDataKey(L"DRAW"));
    EXPECT_EQ((CZunDataKey{L"PICK", L"P1"}), CZunDataKey(L"PICK\\P1"));
    EXPECT_EQ(CZunDataKey::format(L"PARM%d\\%s", 3, L"VAL1"), CZunDataKey(L"PARM3\\VAL1"));
    EXPECT_TRUE(CZunDataKey(static_cast<const wchar_t*>(nullptr)).isNull());
    EXPECT_TRUE(CZunDataKey(L"").isNull());
}

TEST(DataKey, IntegerKeysCompareByValueAndSortFirst)
{
    EXPECT_EQ(CZunItemKey(5, kRtShort), CZunItemKey(5, kRtLong));
    EXPECT_NE(CZunItemKey(5), CZunItemKey(L"5"));
    EXPECT_EQ(CZunItemKey(L"X", kRtDxf0), CZunItemKey(L"X"));
    EXPECT_TRUE(CZunItemKey(99999) < CZunItemKey(L"A"));
    EXPECT_EQ(CZunItemKey(7, kRtLong).type(), kRtLong);
}

TEST(DataItemRead, TypedGetReturnsFalseAndLeavesTheValueWhenMissingOrUnfit)
{
    CZunDataItem root(true);
    root.set(L"Blech", L"LABEL");
    root.set(12, L"COUNT");
    root.set(2.5, L"D");
    CZunString text = L"keep";
    EXPECT_FALSE(root.get(text, L"MISSING"));
    EXPECT_EQ(text, L"keep");
    EXPECT_FALSE(root.get(text, L"COUNT"));  // an integer is no text
    EXPECT_EQ(text, L"keep");
    EXPECT_TRUE(root.get(text, L"LABEL"));
    EXPECT_EQ(text, L"Blech");

    int n = -1;
    EXPECT_FALSE(root.get(n, L"D"));  // a real is not read as an integer
    EXPECT_EQ(n, -1);
    double d = 0;
    EXPECT_TRUE(root.get(d, L"COUNT"));  // an integer is read as a real
    EXPECT_EQ(d, 12.0);
}

TEST(DataItemRead, NullKeyReadsTheItemsOwnValue)
{
    CZunDataItem root(true);
    root.set(4, L"ORV_MENU\\COLOR\\PDMODE");
    const CZunDataItem* item = root.getItem(L"ORV_MENU\\COLOR\\PDMODE");
    ASSERT_NE(item, nullptr);
    int n = 0;
    EXPECT_TRUE(item->get(n));
    EXPECT_EQ(n, 4);
    EXPECT_TRUE(root.getItem(L"ORV_MENU")->isDir());
    EXPECT_EQ(root.getItem(nullptr), &root);
}

TEST(DataItemRead, ConversionsThatKeepTheMeaning)
{
    CZunDataItem root(true);
    CZunArrayTempl<double> rows;
    for (int i = 0; i < 16; ++i)
        rows.append(i == 3 ? 7.0 : (i % 5 == 0 ? 1.0 : 0.0));
    root.set(rows, L"MTX");
    CZunMatrix3d m;
    EXPECT_TRUE(root.get(m, L"MTX"));
    EXPECT_EQ(m[0][3], 7.0);

    root.set(CZunArrayTempl<int>{1, 2}, L"STACK");
    CZunArrayTempl<double> reals;
    EXPECT_TRUE(root.get(reals, L"STACK"));
    EXPECT_EQ(reals, (CZunArrayTempl<double>{1.0, 2.0}));

    root.set(square(10), L"VL");
    CZunRegionList regions;
    EXPECT_FALSE(root.get(regions, L"VL"));
    CZunContourSet contours;
    EXPECT_TRUE(root.get(contours, L"VL"));
    ASSERT_EQ(contours.len(), 1);
    EXPECT_EQ(contours[0], square(10));

    root.setShort(70000 % 30000, L"S");
    short s = 0;
    EXPECT_TRUE(root.get(s, L"S"));
    EXPECT_EQ(s, 10000);
    root.set(100000, L"BIG");
    EXPECT_FALSE(root.get(s, L"BIG"));  // does not fit a short
}

TEST(DataItemWrite, DirectoriesAreNeverOverwrittenByValuesOrTheOtherWayRound)
{
    CZunDataItem root(true);
    ASSERT_TRUE(root.set(1, L"A\\B"));
    EXPECT_FALSE(root.set(2, L"A"));  // A is a directory with children
    EXPECT_EQ(root.mkDir(L"A\\B\\C"), nullptr);  // B holds a value
    int n = 0;
    EXPECT_TRUE(root.get(n, L"A\\B"));
    EXPECT_EQ(n, 1);
    EXPECT_NE(root.mkDir(L"A\\D"), nullptr);
    EXPECT_EQ(root.getDir(L"A").len(), 2);
}

TEST(DataItemWrite, ChildrenStayInKeyOrderAndIterateStably)
{
    CZunDataItem root(true);
    for (const wchar_t* k : {L"WALL", L"BAR", L"SHEET"})
        root.set(k, k);
    root.setShort(2, CZunDataKey(20));
    root.setShort(1, CZunDataKey(10));
    const CZunArrayTempl<CZunItemKey> keys = root.getDir();
    ASSERT_EQ(keys.len(), 5);
    EXPECT_EQ(keys[0], CZunItemKey(10));
    EXPECT_EQ(keys[1], CZunItemKey(20));
    EXPECT_EQ(keys[2], CZunItemKey(L"BAR"));
    EXPECT_EQ(keys[4], CZunItemKey(L"WALL"));

    ZUN::CDataIterator it(&root);
    int seen = 0;
    while (CZunDataItem* child = it.next()) {
        if (child->getKey() == CZunItemKey(L"BAR"))
            root.remove(L"BAR");  // removing the current child skips nothing
        ++seen;
    }
    EXPECT_EQ(seen, 5);
    EXPECT_EQ(root.childCount(), 4);
}

TEST(DataItemCopy, DeepCopiesAreIndependent)
{
    CZunDataItem root(true);
    root.set(square(5), L"PART\\VL");
    CZunDataItem copy(*root.getItem(L"PART"));
    copy.set(L"changed", L"VL");
    CZunVertexArray vl;
    EXPECT_TRUE(root.get(vl, L"PART\\VL"));
    EXPECT_EQ(vl, square(5));
    EXPECT_EQ(copy.parent(), nullptr);

    // Storing an item below itself copies it first.
    CZunDataItem* part = root.getItem(L"PART");
    ASSERT_NE(root.setItem(L"PART\\INNER", *part), nullptr);
    EXPECT_TRUE(root.get(vl, L"PART\\INNER\\VL"));
    EXPECT_EQ(root.getItem(L"PART\\INNER\\INNER"), nullptr);
}

// Moving into an item takes the content and keeps the item's own key and
// place, as copying does; the source may even be the item's own descendant.
TEST(DataItemCopy, MovedContentKeepsTheTargetsPlace)
{
    CZunDataItem root(true);
    root.set(square(5), L"PART\\VL");
    root.set(7, L"OTHER\\N");
    CZunDataItem* other = root.getItem(L"OTHER");
    CZunDataItem source = *root.getItem(L"PART");
    *other = std::move(source);
    EXPECT_EQ(other->getKey(), CZunItemKey(L"OTHER"));
    EXPECT_EQ(other->parent(), &root);
    CZunVertexArray vl;
    EXPECT_TRUE(root.get(vl, L"OTHER\\VL"));
    EXPECT_EQ(vl, square(5));
    EXPECT_EQ(root.getItem(L"OTHER\\N"), nullptr) << "the old content is gone";
    EXPECT_EQ(root.getItem(L"OTHER\\VL")->parent(), other);

    CZunDataItem* part = root.getItem(L"PART");
    *part = std::move(*root.getItem(L"PART\\VL"));
    EXPECT_FALSE(part->isDir());
    EXPECT_TRUE(root.get(vl, L"PART"));
    EXPECT_EQ(vl, square(5));
}

TEST(DataItemColor, ColoursMatricesAndRegionsThroughTheHelpers)
{
    CZunDataItem root(true);
    CZunColor red(1);
    EXPECT_TRUE(ZUN::dataItemSet(&root, L"COL", red));
    CZunColor back;
    EXPECT_TRUE(ZUN::dataItemGet(&root, L"COL", back));
    EXPECT_EQ(back.colorIndex(), 1);
    EXPECT_FALSE(ZUN::dataItemGet(static_cast<const CZunDataItem*>(nullptr), L"COL", back));

    CZunRegionList regions{CZunContourSet{square(1)}, CZunContourSet{square(2), square(1)}};
    EXPECT_TRUE(ZUN::dataItemSet(&root, L"REG", regions));
    CZunRegionList read;
    EXPECT_TRUE(ZUN::dataItemGet(root.getItem(L"REG"), read));
    EXPECT_EQ(read, regions);
}

// ---- one step down without a path --------------------------------------------------

namespace {

struct ChildCase {
    const char* name;
    CZunItemKey key;     // what childByKey and setChild are given
    const wchar_t* text;  // what childNamed is given; null: not asked
    bool present;         // the directory below holds it
};

std::ostream& operator<<(std::ostream& out, const ChildCase& c) { return out << c.name; }

// Integer keys first, text keys by text, a text holding a backslash and a
// text key of the other text type among them.
CZunDataItem childDirectory()
{
    CZunDataItem dir(true);
    dir.mkItem(CZunDataKey(5))->set(5);
    dir.mkItem(CZunDataKey(70000, kRtLong))->set(7);
    for (const wchar_t* text : {L"5", L"A", L"B\\C", L"LABEL", L"Z"})
        dir.setChild(CZunItemKey(text), CZunDataItem());
    dir.setChild(CZunItemKey(CZunString(L"X0"), kRtDxf0), CZunDataItem());
    return dir;
}

class DataItemChild : public ::testing::TestWithParam<ChildCase> {};

} // namespace

TEST_P(DataItemChild, FoundByKeyAndByNameAlike)
{
    const ChildCase& c = GetParam();
    const CZunDataItem dir = childDirectory();
    const CZunDataItem* byKey = dir.childByKey(c.key);
    EXPECT_EQ(byKey != nullptr, c.present);
    if (byKey) {
        EXPECT_EQ(byKey->getKey(), c.key);
    }
    if (c.text) {
        EXPECT_EQ(dir.childNamed(c.text), byKey);
    }
}

TEST_P(DataItemChild, SetChildReplacesOrInsertsInKeyOrder)
{
    const ChildCase& c = GetParam();
    CZunDataItem dir = childDirectory();
    const int before = dir.childCount();
    CZunDataItem value;
    value.set(42);
    CZunDataItem* child = dir.setChild(c.key, value);
    const bool emptyText = c.key.isText() && c.key.text().isEmpty();
    ASSERT_EQ(child == nullptr, emptyText);
    if (emptyText)
        return;
    int got = 0;
    EXPECT_TRUE(child->get(got));
    EXPECT_EQ(got, 42);
    EXPECT_EQ(child->parent(), &dir);
    EXPECT_EQ(dir.childCount(), before + (c.present ? 0 : 1));
    for (int i = 1; i < dir.childCount(); ++i)
        EXPECT_TRUE(dir.childAt(i - 1)->getKey() < dir.childAt(i)->getKey()) << i;
}

INSTANTIATE_TEST_SUITE_P(Keys, DataItemChild,
                         ::testing::Values(ChildCase{"Text", CZunItemKey(L"A"), L"A", true},
                                           ChildCase{"TextLikeANumber", CZunItemKey(L"5"), L"5", true},
                                           ChildCase{"Integer", CZunItemKey(5), nullptr, true},
                                           ChildCase{"LongAsShort", CZunItemKey(70000), nullptr, true},
                                           ChildCase{"BackslashIsOneStep", CZunItemKey(L"B\\C"), L"B\\C", true},
                                           ChildCase{"OtherTextType", CZunItemKey(L"X0"), L"X0", true},
                                           ChildCase{"MissingText", CZunItemKey(L"M"), L"M", false},
                                           ChildCase{"MissingBeforeAll", CZunItemKey(L"0"), L"0", false},
                                           ChildCase{"MissingAfterAll", CZunItemKey(L"zz"), L"zz", false},
                                           ChildCase{"MissingInteger", CZunItemKey(6), nullptr, false},
                                           ChildCase{"EmptyText", CZunItemKey(L""), L"", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DataItemChildOfValue, AValueItemTakesNoChild)
{
    CZunDataItem value;
    value.set(1);
    EXPECT_EQ(value.setChild(CZunItemKey(L"A"), CZunDataItem()), nullptr);
    EXPECT_EQ(value.childCount(), 0);
}
