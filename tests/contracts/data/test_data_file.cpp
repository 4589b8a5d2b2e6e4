#include "contracts/data/zun_data_file.h"
#include "contracts/data/zun_resbuf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>

namespace {

CZunVertexArray arcSquare()
{
    CZunVertexArray vl;
    vl.append({0, 0, 1}, {10, 0, 1});
    vl.append({10, 0, 1}, {10, 10, 1}, 0.4142135623730951);
    vl.append({10, 10, 1}, {0, 10, 1});
    vl.append({0, 10, 1}, {0, 0, 1}, -0.25);
    return vl;
}

// A tree with one value of every kind and keys of every kind.
CZunDataItem everyKind()
{
    CZunDataItem root(true);
    root.set(L"Stahlblech \u00e4\u00df \u00b1", L"LABEL");
    root.setShort(-3, L"SHORT");
    root.set(123456789, L"LONG");
    root.set(0.1, L"REAL");
    root.set(-1e-300, L"TINY");
    root.set(std::numeric_limits<double>::infinity(), L"INF");
    root.set(true, L"FLAG");
    root.set(CZunPoint3d(1.5, -2, 3), L"PT");
    root.set(arcSquare(), L"VL");
    CZunVertexArray dashes;
    dashes.append({0, 0}, {1, 0});
    dashes.append({2, 0}, {3, 0}, 0.5);
    root.set(dashes, L"DASHES");
    root.set(CZunArrayTempl<int>{1, -2, 3}, L"STACK");
    root.set(CZunArrayTempl<double>{0.5, -5.0, 0.0}, L"LTYPE");
    root.set(CZunArrayTempl<CZunString>{L"a", L"\\b\""}, L"NAMES");
    root.set(CZunPoint3dArray{{0, 0}, {5, 5, 5}}, L"EXTVIEW");
    CZunMatrix3d m;
    m.setToRotation(0.3);
    m[0][3] = 7;
    root.set(m, L"MTX");
    CZunColor c(3);
    c.setColor(CZunColor::rgb(1, 2, 3));
    c.setNames(L"BOOK", L"Green 3");
    root.set(c, L"COLOR");
    root.set(CZunContourSet{arcSquare(), arcSquare()}, L"GEN");
    root.set(CZunRegionList{CZunContourSet{arcSquare()}}, L"REGL");
    root.mkItem(L"EMPTY");
    root.mkDir(L"SUB\\DEEP");
    root.setShort(1, CZunDataKey({L"SN", CZunItemKey(5)}));
    root.set(2, CZunDataKey({L"SN", CZunItemKey(70000, kRtLong)}));
    root.set(L"x", CZunDataKey({L"SN", CZunItemKey(L"T", kRtDxf0)}));
    root.set(L"hash", L"#HASH");
    root.set(L"dollar", L"$DOLLAR");
    return root;
}

void expectSameTree(const CZunDataItem& a, const CZunDataItem& b)
{
    ASSERT_EQ(a.isDir(), b.isDir());
    ASSERT_EQ(a.childCount(), b.childCount()) << a.getKey().toString().toUtf8();
    EXPECT_TRUE(a.getKey() == b.getKey());
    EXPECT_EQ(a.getKey().type(), b.getKey().type());
    EXPECT_EQ(a.kind(), b.kind()) << a.getKey().toString().toUtf8();
    EXPECT_TRUE(a.value() == b.value()) << a.getKey().toString().toUtf8();
    for (int i = 0; i < a.childCount(); ++i)
        expectSameTree(*a.childAt(i), *b.childAt(i));
}

std::string loadError(const std::string& text)
{
    CZunDataItem root(true);
    root.set(L"kept", L"OLD");
    ZUN::CDataFileError error;
    EXPECT_FALSE(ZUN::dataFromJson(text, L"drawing.json", root, &error));
    CZunString kept;
    EXPECT_TRUE(root.get(kept, L"OLD"));  // a failed load leaves the tree alone
    EXPECT_EQ(root.childCount(), 1);
    return error.toString().toUtf8();
}

} // namespace

TEST(DataJson, EveryKindRoundTripsWithoutLoss)
{
    const CZunDataItem tree = everyKind();
    const std::string text = ZUN::dataToJson(tree);
    CZunDataItem back(true);
    ZUN::CDataFileError error;
    ASSERT_TRUE(ZUN::dataFromJson(text, L"mem", back, &error)) << error.toString().toUtf8();
    expectSameTree(tree, back);
    EXPECT_EQ(ZUN::dataToJson(back), text);  // stable: writing again gives the same text
}

TEST(DataJson, HandWrittenFormsRead)
{
    const char* text = R"({
      "PART": {"LABEL": "Blech", "D": 1.5, "N": 4, "PTS": [1, 2], "REALS": [1, 2.5], "TXT": ["a", "b"],
               "VL": {"$": "vl", "pts": [[0, 0], [10, 0, 0, 1], [10, 10]], "closed": true},
               "#7": {"$": "short", "v": 7}, "##LITERAL": true}
    })";
    CZunDataItem root(true);
    ZUN::CDataFileError error;
    ASSERT_TRUE(ZUN::dataFromJson(text, L"x", root, &error)) << error.toString().toUtf8();
    CZunVertexArray vl;
    ASSERT_TRUE(root.get(vl, L"PART\\VL"));
    ASSERT_EQ(vl.len(), 3);
    EXPECT_EQ(vl[1].bulge(), 1.0);
    EXPECT_EQ(vl[2].end(), CZunPoint3d(0, 0));
    CZunArrayTempl<int> ints;
    EXPECT_TRUE(root.get(ints, L"PART\\PTS"));
    CZunArrayTempl<double> reals;
    EXPECT_TRUE(root.get(reals, L"PART\\REALS"));
    short s = 0;
    EXPECT_TRUE(root.get(s, CZunDataKey({L"PART", CZunItemKey(7)})));
    EXPECT_EQ(s, 7);
    bool flag = false;
    EXPECT_TRUE(root.get(flag, L"PART\\#LITERAL"));
}

// An arc whose ends lie on one line keeps the plane it was turned into
// through a save; a polyline with the default normal is written as before.
TEST(DataJson, ArcNormalRoundTripsOnlyWhereItIsSet)
{
    CZunVertexArray upright;
    upright.append({-5, 0, 0}, {5, 0, 0});
    upright.append({5, 0, 0}, {-5, 0, 0}, 1.0);
    upright.setArcNormal({0, -1, 0});
    CZunDataItem tree(true);
    tree.set(upright, L"UP");
    tree.set(arcSquare(), L"FLAT");
    const std::string text = ZUN::dataToJson(tree, 0);
    ASSERT_NE(text.find("\"normal\""), std::string::npos) << text;
    EXPECT_EQ(text.find("\"normal\""), text.rfind("\"normal\"")) << text;  // once: the flat one has none
    CZunDataItem back(true);
    ZUN::CDataFileError error;
    ASSERT_TRUE(ZUN::dataFromJson(text, L"mem", back, &error)) << error.toString().toUtf8();
    CZunVertexArray up, flat;
    ASSERT_TRUE(back.get(up, L"UP"));
    ASSERT_TRUE(back.get(flat, L"FLAT"));
    EXPECT_EQ(up.arcNormal(), CZunVector3d(0, -1, 0));
    EXPECT_EQ(flat.arcNormal(), CZunVector3d::kZAxis);
    EXPECT_EQ(ZUN::dataToJson(back, 0), text);

    CZunDataItem bad(true);
    EXPECT_FALSE(ZUN::dataFromJson(R"({"V": {"$": "vl", "pts": [[0, 0], [1, 0]], "normal": [0, 0, 0]}})", L"mem",
                                   bad, &error));
    EXPECT_NE(error.toString().toUtf8().find("not zero"), std::string::npos) << error.toString().toUtf8();
    EXPECT_FALSE(ZUN::dataFromJson(R"({"V": {"$": "vl", "pts": [[0, 0], [1, 0]], "normal": [0, 1]}})", L"mem",
                                   bad, &error));
}

TEST(DataJson, MalformedFilesAreRefusedWithPlaceAndReason)
{
    EXPECT_EQ(loadError("{\n  \"A\": 1,\n  \"B\": [1, 2\n"),
              "drawing.json:4:1: malformed JSON: syntax error while parsing array - unexpected end of input; "
              "expected ']'");
    EXPECT_EQ(loadError("{\n  \"P\": {\n    \"VL\": {\"$\": \"vl\", \"pts\": [[0, 0], [1, \"x\"]]}}}"),
              "drawing.json:3:43: expected a number at /P/VL/pts/1/1");
    EXPECT_EQ(loadError("{\"A\": {\"$\": \"spline\", \"v\": 1}}"),
              "drawing.json:1:13: expected a known value kind (short, real, point, vl, ints, reals, texts, points, "
              "matrix, color, contours, regions) at /A/$");
    EXPECT_EQ(loadError("{\"A\": {\"$\": \"short\", \"v\": 70000}}"), "drawing.json:1:27: expected a short integer at /A/v");
    EXPECT_EQ(loadError("{\"#x\": 1}"),
              "drawing.json:1:8: expected a key: a name, \"#<short>\", \"#L<long>\" or \"#X:<name>\" at /#x");
    EXPECT_EQ(loadError("[1, 2]"), "drawing.json:1:1: expected a directory object at /");
    EXPECT_EQ(loadError("{\"M\": {\"$\": \"matrix\", \"v\": [[1,0,0,0],[0,1,0,0],[0,0,1]]}}"),
              "drawing.json:1:28: expected four rows of four numbers at /M/v");
    EXPECT_EQ(loadError("{\"M\": {\"$\": \"matrix\", \"v\": [[1,0,0,0],[0,1,0,0],[0,0,1],[0,0,0,1]]}}"),
              "drawing.json:1:49: expected a row of four numbers at /M/v/2");
    EXPECT_EQ(loadError(""), "drawing.json:1:1: malformed JSON: syntax error while parsing value - unexpected end "
                             "of input; expected '[', '{', or a literal");
    // Keys that name no item, or an item named before, used to land on the
    // directory itself or on the first item, and then on a null pointer.
    EXPECT_EQ(loadError("{\"\": 1, \"B\": {\"C\": 2}}"),
              "drawing.json:1:6: expected a key: a name, \"#<short>\", \"#L<long>\" or \"#X:<name>\" at /");
    EXPECT_EQ(loadError("{\"#X:\": 1}"),
              "drawing.json:1:9: expected a key: a name, \"#<short>\", \"#L<long>\" or \"#X:<name>\" at /#X:");
    EXPECT_EQ(loadError("{\"#5\": 1, \"#L5\": {\"A\": 1}}"),
              "drawing.json:1:18: expected a key given once in its directory at /#L5");
    EXPECT_EQ(loadError("{\"P\": {\"A\": {\"B\": 1}, \"#X:A\": 2}}"),
              "drawing.json:1:13: expected a key given once in its directory at /P/A");
    // A number beyond any double stopped the parser with an exception of
    // another kind, which escaped the loader and ended the program.
    EXPECT_EQ(loadError("{\"A\": [1, 1e400]}"), "drawing.json:1:15: malformed JSON: number overflow parsing '1e400'");
    EXPECT_EQ(loadError("{\"A\": -" + std::string(400, '9') + "}"),
              "drawing.json:1:407: malformed JSON: number overflow parsing '-" + std::string(400, '9') + "'");
}

TEST(DataJson, IntegersThatDoNotFitTheirKindAreNeverWrapped)
{
    // A number beyond a kind's range used to arrive wrapped: 5000000000 as
    // 705032704 in an integer array, 2^64 - 1 as the short -1.
    const std::pair<const char*, const char*> refused[] = {
        {"{\"A\": {\"$\": \"ints\", \"v\": [1, 5000000000]}}", "drawing.json:1:30: expected integers at /A/v/1"},
        {"{\"A\": {\"$\": \"ints\", \"v\": [-2147483649]}}", "drawing.json:1:27: expected integers at /A/v/0"},
        {"{\"A\": {\"$\": \"short\", \"v\": 18446744073709551615}}", "drawing.json:1:27: expected a short integer at /A/v"},
        {"{\"A\": {\"$\": \"short\", \"v\": -32769}}", "drawing.json:1:27: expected a short integer at /A/v"},
        {"{\"A\": {\"$\": \"color\", \"index\": 4294967297}}", "drawing.json:1:31: expected a colour index at /A/index"},
        {"{\"A\": 9223372036854775808}", "drawing.json:1:7: expected an integer that fits 64 bits at /A"},
    };
    for (const auto& [text, expected] : refused)
        EXPECT_EQ(loadError(text), expected) << text;

    // A plain array of integers that do not all fit 32 bits is read as reals.
    CZunDataItem root(true);
    ASSERT_TRUE(ZUN::dataFromJson("{\"A\": [1, 5000000000], \"B\": [-2147483648, 2147483647]}", L"x", root));
    CZunArrayTempl<double> reals;
    EXPECT_TRUE(root.get(reals, L"A"));
    EXPECT_EQ(reals, (CZunArrayTempl<double>{1.0, 5e9}));
    CZunArrayTempl<int> ints;
    EXPECT_TRUE(root.get(ints, L"B"));
    EXPECT_EQ(ints, (CZunArrayTempl<int>{-2147483647 - 1, 2147483647}));
    long big = 0;
    ASSERT_TRUE(ZUN::dataFromJson("{\"A\": 9223372036854775807}", L"x", root));
    EXPECT_TRUE(root.get(big, L"A"));
    EXPECT_EQ(big, 9223372036854775807L);
}

TEST(DataJson, FilesSaveAtomicallyAndLoad)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "zun_data_file_test";
    std::filesystem::create_directories(dir);
    const CZunString path = CZunString::fromUtf8((dir / "tree.json").string());
    const CZunDataItem tree = everyKind();
    CZunString why;
    ASSERT_TRUE(ZUN::dataFileSave(path, tree, &why)) << why.toUtf8();
    EXPECT_FALSE(std::filesystem::exists(dir / "tree.json.tmp"));
    CZunDataItem back(true);
    ASSERT_TRUE(ZUN::dataFileLoad(path, back));
    expectSameTree(tree, back);

    ZUN::CDataFileError error;
    EXPECT_FALSE(ZUN::dataFileLoad(CZunString::fromUtf8((dir / "missing.json").string()), back, &error));
    EXPECT_NE(error.toString().find(L"missing.json: cannot read the file: No such file"), -1);
    EXPECT_FALSE(ZUN::dataFileSave(L"/nonexistent-dir/x.json", tree, &why));
    std::filesystem::remove_all(dir);
}

TEST(HostList, DataItemsTravelAsListsWithoutLoss)
{
    const CZunDataItem tree = everyKind();
    ZUN::CSmartResbuf rb = ZUN::mkLisp(&tree);
    ASSERT_TRUE(rb);
    EXPECT_EQ(rb->restype, kRtListBegin);
    CZunDataItem back;
    ASSERT_TRUE(ZUN::fromRb(rb.get(), back));
    expectSameTree(tree, back);

    CZunDataItem viaSetData;
    EXPECT_TRUE(viaSetData.setData(rb.get()));
    expectSameTree(tree, viaSetData);
    EXPECT_EQ(ZUN::rbToList(ZUN::listToRb(ZUN::rbToList(rb.get())).get()), ZUN::rbToList(rb.get()));
}

TEST(HostList, MalformedListsLeaveTheItemAlone)
{
    CZunDataItem item(true);
    item.set(1, L"KEEP");
    ZUN::CZunRbList list = ZUN::mkLispList(&item);
    ZUN::CZunRbList cut = list;
    cut.removeAt(cut.len() - 1);  // the closing list end is missing
    EXPECT_FALSE(ZUN::fromRb(cut, item));
    ZUN::CZunRbList wrong = list;
    wrong[1] = ZUN::CRbValue::makeReal(1.0);  // a kind tag that is no short
    EXPECT_FALSE(ZUN::fromRb(wrong, item));
    EXPECT_FALSE(ZUN::fromRb(ZUN::CZunRbList(), item));
    int n = 0;
    EXPECT_TRUE(item.get(n, L"KEEP"));
}

TEST(HostList, RegionsAsNestedLists)
{
    const CZunRegionList regions{CZunContourSet{arcSquare()}, CZunContourSet{arcSquare(), arcSquare()}};
    const ZUN::CZunRbList list = ZUN::regionsToList(regions);
    EXPECT_EQ(list.get(0).type, kRtListBegin);
    EXPECT_EQ(list.get(1).type, kRtListBegin);
    EXPECT_EQ(list.get(3).type, kRt3dPoint);
    CZunRegionList back;
    ASSERT_TRUE(ZUN::fromRb(list, back));
    EXPECT_EQ(back, regions);

    EXPECT_TRUE(ZUN::fromRb(ZUN::CZunRbList{ZUN::CRbValue::make(kRtNil)}, back));
    EXPECT_TRUE(back.isEmpty());

    CZunDataItem holder;
    holder.set(regions);
    ASSERT_TRUE(ZUN::fromRb(ZUN::mkLispList(&holder), back));
    EXPECT_EQ(back, regions);
    EXPECT_FALSE(ZUN::fromRb(ZUN::CZunRbList{ZUN::CRbValue::make(kRtListBegin)}, back));
}
