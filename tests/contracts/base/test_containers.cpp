#include "contracts/base/zun_array.h"
#include "contracts/base/zun_map.h"
#include "contracts/base/zun_string.h"
#include "contracts/base/zun_util.h"

#include <gtest/gtest.h>

TEST(ArrayIndex, ConstReadPastTheEndGivesTheSharedDefault)
{
    const CZunArrayTempl<int> a{1, 2, 3};
    EXPECT_EQ(a[5], 0);
    EXPECT_EQ(&a[5], &a[100]);
    EXPECT_EQ(&a[5], &CZunArrayTempl<int>::defaultElement());
    EXPECT_EQ(a.len(), 3);
}

TEST(ArrayIndex, NegativeIndexCountsFromTheEnd)
{
    const CZunArrayTempl<int> a{1, 2, 3};
    EXPECT_EQ(a[-1], 3);
    EXPECT_EQ(a[-3], 1);
    EXPECT_EQ(&a[-4], &CZunArrayTempl<int>::defaultElement());
}

TEST(ArrayIndex, WithFewerThanTwoElementsNegativeMeansZero)
{
    const CZunArrayTempl<int> one{7};
    EXPECT_EQ(one[-1], 7);
    EXPECT_EQ(one[-5], 7);
    const CZunArrayTempl<int> none;
    EXPECT_EQ(none[-1], 0);
    EXPECT_EQ(&none[-1], &CZunArrayTempl<int>::defaultElement());
}

TEST(ArrayIndex, NonConstIndexGrowsWithDefaults)
{
    CZunArrayTempl<CZunString> a;
    a[2] = L"c";
    ASSERT_EQ(a.len(), 3);
    EXPECT_TRUE(a.get(0).isEmpty());
    EXPECT_EQ(a.get(2), L"c");
    a[-1] = L"last";
    EXPECT_EQ(a.get(2), L"last");
    CZunArrayTempl<int> empty;
    empty[-1] = 4;  // fewer than two elements: -1 means 0, and 0 must exist
    EXPECT_EQ(empty.len(), 1);
    EXPECT_EQ(empty.get(0), 4);
    // get() reads without growing.
    EXPECT_EQ(empty.get(10), 0);
    EXPECT_EQ(empty.len(), 1);
}

TEST(ArrayEdit, AppendRevertRemoveIndexOf)
{
    CZunArrayTempl<int> a{1, 2};
    a += 3;
    a += CZunArrayTempl<int>{4, 5};
    EXPECT_EQ(a.len(), 5);
    a.revert();
    EXPECT_EQ(a, (CZunArrayTempl<int>{5, 4, 3, 2, 1}));
    EXPECT_EQ(a.indexOf(3), 2);
    EXPECT_EQ(a.indexOf(9), -1);
    EXPECT_TRUE(a.removeAt(1, 2));
    EXPECT_FALSE(a.removeAt(7));
    EXPECT_EQ(a, (CZunArrayTempl<int>{5, 2, 1}));
    a.insertAt(99, 0);
    EXPECT_EQ(a.get(-1), 0);
}

TEST(ArrayEdit, SortIsStable)
{
    struct Item {
        int group;
        int order;
        bool operator==(const Item&) const = default;
    };
    CZunArrayTempl<Item> a;
    for (int i = 0; i < 40; ++i)
        a.append({(i * 7) % 3, i});
    a.sort([](const Item& l, const Item& r) { return l.group < r.group; });
    for (int i = 1; i < a.len(); ++i) {
        ASSERT_LE(a[i - 1].group, a[i].group);
        if (a[i - 1].group == a[i].group) {
            EXPECT_LT(a[i - 1].order, a[i].order);
        }
    }
}

TEST(MapSorted, LooksUpByBinarySearchAndIteratesInKeyOrder)
{
    CZunMapTempl<int, CZunString> m;
    for (int k : {50, 10, 40, 20, 30})
        m.setAt(k, CZunString::formatted(L"v%d", k));
    m.setAt(20, L"twenty");
    EXPECT_EQ(m.len(), 5);
    int previous = -1;
    for (const auto& [key, value] : m) {
        EXPECT_LT(previous, key);
        previous = key;
    }
    CZunString v;
    EXPECT_TRUE(m.lookup(20, v));
    EXPECT_EQ(v, L"twenty");
    EXPECT_FALSE(m.lookup(25, v));
    EXPECT_EQ(v, L"twenty");  // untouched on a miss
    EXPECT_EQ(m.indexOf(40), 3);
    EXPECT_TRUE(m.removeKey(10));
    EXPECT_FALSE(m.removeKey(10));
    EXPECT_EQ(m.keyAt(0), 20);
    EXPECT_TRUE(m[60].isEmpty());  // operator[] inserts
    EXPECT_EQ(m.len(), 5);
}

TEST(MapSorted, TextKeys)
{
    CZunMapTempl<CZunString, int> m;
    m[L"WALL"] = 1;
    m[L"DRILL"] = 2;
    m[L"HOLE"] = 3;
    EXPECT_EQ(m.keyAt(0), L"DRILL");
    EXPECT_EQ(*m.find(L"HOLE"), 3);
    EXPECT_EQ(m.find(L"SHEET"), nullptr);
}

TEST(ErrorHandler, RaiseThrowsOnlyInsideAScope)
{
    CZunErrorHandler::clearLastError();
    EXPECT_FALSE(CZunErrorHandler::isActive());
    EXPECT_NO_THROW(CZunErrorHandler::raise(kZunErrBadArgument));
    EXPECT_EQ(CZunErrorHandler::lastError(), kZunErrBadArgument);

    int caught = 0;
    {
        CZunErrorHandler scope;
        EXPECT_TRUE(CZunErrorHandler::isActive());
        try {
            CZunErrorHandler::raise(kZunErrUser + 7);
        } catch (int code) {
            caught = code;
        }
    }
    EXPECT_EQ(caught, kZunErrUser + 7);
    EXPECT_FALSE(CZunErrorHandler::isActive());
}

TEST(ErrorHandler, GuardReturnsTheCodeAndNeverThrows)
{
    int after = 0;
    EXPECT_EQ(CZunErrorHandler::guard([&] { after = 1; }), kZunErrNone);
    EXPECT_EQ(after, 1);
    EXPECT_EQ(CZunErrorHandler::guard([&] {
                  CZunErrorHandler::raise(42);
                  after = 2;
              }),
              42);
    EXPECT_EQ(after, 1);
    EXPECT_EQ(CZunErrorHandler::guard([] { throw std::bad_alloc(); }), kZunErrNoMemory);
    EXPECT_EQ(CZunErrorHandler::guard([] { throw 3.5; }), kZunErrUnknown);
    EXPECT_FALSE(CZunErrorHandler::isActive());
}

TEST(UniqPointer, AssignmentReplacesAndDeletesTheOldObject)
{
    struct Counted {
        int* live;
        explicit Counted(int* l) : live(l) { ++*live; }
        ~Counted() { --*live; }
    };
    int live = 0;
    {
        ZUN::CUniqPointer<Counted> p;
        EXPECT_FALSE(p);
        p = new Counted(&live);
        p = new Counted(&live);
        EXPECT_EQ(live, 1);
        ZUN::CUniqPointer<Counted> q(std::move(p));
        EXPECT_TRUE(p.isNull());
        EXPECT_EQ(q->live, &live);
        Counted* raw = q.release();
        EXPECT_EQ(live, 1);
        delete raw;
        EXPECT_EQ(live, 0);
        q = new Counted(&live);
    }
    EXPECT_EQ(live, 0);
}
