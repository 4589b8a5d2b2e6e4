#include "contracts/data/zun_attribute.h"
#include "contracts/data/zun_config.h"

#include <gtest/gtest.h>

TEST(Attribute, GasketAndInsulationHaveShippedDefaults)
{
    const CZunAttributeMgr gasket(L"DICHT"), insulation(L"DM");
    EXPECT_EQ(gasket.text(L"PART_CON"), L"GASKET");
    EXPECT_EQ(gasket.text(L"HPNAME"), L"ANSI34");
    EXPECT_EQ(gasket.number(L"HPSCALE"), 0.25);
    EXPECT_EQ(insulation.text(L"PART_FILL"), L"INSULATION");
    EXPECT_EQ(insulation.hatch(), ZUN::CHatchProp(L"INSUL", 0.0, 10.0, false));
    EXPECT_TRUE(gasket.cfgKey() == ZUN::getCfgKey(ZUN::kAttributeCfgDir, L"DICHT"));

    // The configuration file ships what the code falls back to.
    for (const wchar_t* name : {L"DICHT", L"DM"}) {
        const CZunDataItem* cfg = ZUN::cfg_get(ZUN::getCfgKey(ZUN::kAttributeCfgDir, name));
        ASSERT_NE(cfg, nullptr) << CZunString(name).toUtf8();
        const CZunDataItem builtIn = CZunAttributeMgr::defaults(name);
        for (const wchar_t* attr : {L"PART_CON", L"PART_FILL", L"HPNAME"}) {
            CZunString a, b;
            EXPECT_TRUE(cfg->get(a, attr));
            EXPECT_TRUE(builtIn.get(b, attr));
            EXPECT_EQ(a, b);
        }
        for (const wchar_t* attr : {L"HPSCALE", L"HPANG"}) {
            double a = -1, b = -2;
            EXPECT_TRUE(cfg->get(a, attr));
            EXPECT_TRUE(builtIn.get(b, attr));
            EXPECT_EQ(a, b);
        }
    }
}

TEST(Attribute, ObjectWinsOverConfigurationOverBuiltIns)
{
    ZUN::CCfgBackup keep;
    CZunAttributeMgr mgr(L"DM");
    // A configuration without the set still draws with the built-ins.
    ZUN::cfg_get(ZUN::kAttributeCfgDir)->remove(L"DM");
    EXPECT_EQ(mgr.text(L"HPNAME"), L"INSUL");

    CZunDataItem* cfg = ZUN::cfg_dir_make(mgr.cfgKey());
    cfg->set(L"ANSI37", L"HPNAME");
    cfg->set(2, L"HPSCALE");  // an integer reads as a number
    EXPECT_EQ(mgr.text(L"HPNAME"), L"ANSI37");
    EXPECT_EQ(mgr.number(L"HPSCALE"), 2.0);
    EXPECT_EQ(mgr.text(L"PART_CON"), L"INSULATION");

    CZunDataItem obj(true);
    obj.set(0.5, L"HPANG");
    obj.set(L"MINERAL", L"PART_CON");
    mgr.objSet(&obj);
    EXPECT_EQ(mgr.text(L"PART_CON"), L"MINERAL");
    EXPECT_EQ(mgr.hatch(), ZUN::CHatchProp(L"ANSI37", 0.5, 2.0, false));
    mgr.objSet(nullptr);
    EXPECT_EQ(mgr.number(L"HPANG"), 0.0);

    // Pointed at a directory of its own, the set reads only that and the built-ins.
    ZUN::cfg_dir_make(L"MY_SETS\\DM")->set(L"MY_LAYER", L"PART_FILL");
    mgr.cfgKeySet(L"MY_SETS\\DM");
    EXPECT_EQ(mgr.text(L"PART_FILL"), L"MY_LAYER");
    EXPECT_EQ(mgr.text(L"HPNAME"), L"INSUL");
}

TEST(Attribute, UnknownSetsAndAttributesKeepTheCallersValue)
{
    const CZunAttributeMgr mgr(L"NOPE");
    CZunString text = L"kept";
    double number = 7.0;
    EXPECT_FALSE(mgr.get(L"PART_CON", text));
    EXPECT_FALSE(mgr.get(L"HPSCALE", number));
    EXPECT_EQ(text, L"kept");
    EXPECT_EQ(number, 7.0);
    EXPECT_EQ(mgr.text(L"PART_CON", L"0"), L"0");
    // A hatch without a usable scale still draws at scale 1.
    EXPECT_EQ(mgr.hatch(), ZUN::CHatchProp(L"", 0.0, 1.0, false));
    const CZunAttributeMgr gasket(L"DICHT");
    EXPECT_FALSE(gasket.get(L"NO_SUCH", text));
    EXPECT_EQ(text, L"kept");
}
