// The host's pictures of the sample drawing's wall and base plate: a wall
// hatched along each of its legs, visible at the sizes pictures are made
// at, and a filled plate whose drillings and slots show what lies beneath.

#include "contracts/data/zun_drawing.h"
#include "contracts/data/zun_hatch.h"
#include "host/zun_host_app.h"
#include "host/zun_part_image.h"
#include "render/core/zun_hatching.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

const CZunString kSample = CZunString::fromUtf8(ZUN_SOURCE_RES_DIR "/samples/sample_drawing.json");

// The host as the programs run it, on the sample drawing.
class HostPicture {
public:
    HostPicture()
    {
        m_previous = zunAppSet(&m_app);
        CZunHostApp::registerGenerators();
        ZUN::drawingCurrent().swap(m_saved);
        ZUN::CDataFileError error;
        EXPECT_TRUE(ZUN::drawingOpen(kSample, &error)) << error.toString().toUtf8();
    }
    ~HostPicture()
    {
        ZUN::drawingCurrent().swap(m_saved);
        zunAppSet(m_previous);
    }
    HostPicture(const HostPicture&) = delete;
    HostPicture& operator=(const HostPicture&) = delete;

    // The part's picture as the host builds it.
    CZunGDX build(const wchar_t* handle)
    {
        CZunGDX gdx;
        const ZUN::CZunPart* part = ZUN::drawingCurrent().partByHandle(handle);
        EXPECT_NE(part, nullptr);
        QString reason;
        if (part) {
            EXPECT_TRUE(zunPartImageBuild(*part, gdx, &reason)) << reason.toStdString();
        }
        return gdx;
    }

private:
    CZunHostApp m_app;
    CZunApp* m_previous = nullptr;
    ZUN::CZunDrawing m_saved;
};

// ---- the wall ---------------------------------------------------------------

constexpr int kPictureWidth = 800;
constexpr int kPictureHeight = 600;

struct Leg {
    const char* name;
    int index;             // along the axis
    CZunVector3d direction;
};

std::ostream& operator<<(std::ostream& out, const Leg& leg) { return out << leg.name; }

struct Shell {
    int number;
    double inner;  // distance of its inner face from the axis
    double thick;
    const wchar_t* pattern;
};

// The sample wall's shells, from the axis outwards.
const Shell kShells[] = {{1, 0.0, 240.0, L"BRICK"}, {2, 240.0, 120.0, L"INSUL"}, {3, 360.0, 115.0, L"ANSI31"}};

// The hatched regions of a shell, in drawing order.
std::vector<const CZunDisplayItem*> hatchesOf(const CZunGDX& gdx, int shell)
{
    std::vector<const CZunDisplayItem*> found;
    for (const CZunDisplayItem& item : gdx.getDisplayList())
        if (item.type == objReg && (item.flag & gdxFlagHatch) && item.stack.get(0) == shell)
            found.push_back(&item);
    return found;
}

class WallPicture : public ::testing::TestWithParam<Leg> {
protected:
    HostPicture host;
};

} // namespace

TEST_P(WallPicture, EachLegHatchedAlongItselfFromTheInnerFace)
{
    const Leg& leg = GetParam();
    const CZunGDX gdx = host.build(L"4D");
    for (const Shell& shell : kShells) {
        SCOPED_TRACE(shell.number);
        const std::vector<const CZunDisplayItem*> hatches = hatchesOf(gdx, shell.number);
        ASSERT_EQ(hatches.size(), 3u) << "one hatched region per leg";
        const CZunDisplayItem& piece = *hatches[static_cast<size_t>(leg.index)];
        EXPECT_EQ(piece.hatch.name(), shell.pattern);
        EXPECT_EQ(piece.hatch.angle(), 0.0) << "the leg's frame turns the pattern";
        const CZunVector3d along = CZunVector3d::kXAxis * piece.mtx;
        EXPECT_NEAR(along.x, leg.direction.x, 1e-9);
        EXPECT_NEAR(along.y, leg.direction.y, 1e-9);
        // Across the leg the piece runs from the inner face (y = 0 in its
        // frame, where the pattern starts) to the outer one.
        CZunPoint3d lo, hi;
        ASSERT_TRUE(piece.reg.get(0).extents(lo, hi));
        EXPECT_NEAR(lo.y, 0.0, 1e-6);
        EXPECT_NEAR(hi.y, shell.thick, 1e-6);
        // Its frame starts on the shell's inner face: that far to the left
        // of the leg's axis line.
        const CZunPoint3d origin = CZunPoint3d::kOrigin * piece.mtx;
        const double leftOfAxis = leg.index == 0 ? origin.y : leg.index == 1 ? 3000.0 - origin.x : origin.y - 2000.0;
        EXPECT_NEAR(leftOfAxis, shell.inner, 1e-6);
    }
}

TEST_P(WallPicture, HatchesShowInAPictureOfTheWholeWall)
{
    const Leg& leg = GetParam();
    CZunGDX gdx = host.build(L"4D");
    CZunPoint3d lo, hi;
    ASSERT_TRUE(gdx.extmaxGet(lo, hi));
    // Pixels per millimetre of the fitted picture.
    const double scale = 0.9 * std::min(kPictureWidth / (hi.x - lo.x), kPictureHeight / (hi.y - lo.y));
    CZunMatrix3d device;
    device.setToScaling(scale);
    for (const Shell& shell : kShells) {
        SCOPED_TRACE(shell.number);
        const std::vector<const CZunDisplayItem*> hatches = hatchesOf(gdx, shell.number);
        ASSERT_GT(hatches.size(), static_cast<size_t>(leg.index));
        const CZunDisplayItem& piece = *hatches[static_cast<size_t>(leg.index)];
        ZUN::CHatchPattern pattern;
        ASSERT_TRUE(zunAppPtr()->hatchPatternGet(piece.hatch.name(), pattern));
        EXPECT_TRUE(zun_hatch_pattern_test(piece.reg, piece.hatch, ZUN::patternLinesOf(pattern), piece.mtx * device))
            << "drawn as hatch, not filled solid";
    }
}

INSTANTIATE_TEST_SUITE_P(SampleWall, WallPicture,
                         ::testing::Values(Leg{"First", 0, {1, 0, 0}}, Leg{"TurnedLeft", 1, {0, 1, 0}},
                                           Leg{"TurnedRight", 2, {1, 0, 0}}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- the base plate ---------------------------------------------------------

namespace {

struct Spot {
    const char* name;
    CZunPoint3d at;  // on the plate, in millimetres
    bool opening;    // an opening: the background shows
};

std::ostream& operator<<(std::ostream& out, const Spot& spot) { return out << spot.name; }

// Off the drillings' centres, where their centre lines run.
const Spot kSpots[] = {
    {"AnchorHole", {-110 + 6, -160 + 6, 0}, true},   {"AnchorHoleOpposite", {110 - 6, 160 - 6, 0}, true},
    {"LevellingScrewBore", {0 + 3, 160 + 3, 0}, true}, {"SlotLeft", {-120, 0, 0}, true},
    {"SlotRight", {120, 0, 0}, true},                   {"PlateBetween", {60, 80, 0}, false},
    {"PlateNearEdge", {-130, 100, 0}, false},
};

class PlatePicture : public ::testing::TestWithParam<Spot> {
protected:
    HostPicture host;
};

// The pixel of a picture painted by zunPaintFitted that shows point p.
QPoint pixelOf(const CZunGDX& gdx, const CZunPoint3d& p)
{
    const CZunPoint3d o = gdx.imagePtWc(CZunPoint3d(0, 0, 0));
    const CZunPoint3d ex = gdx.imagePtWc(CZunPoint3d(1, 0, 0)) - CZunVector3d(o.x, o.y, o.z);
    const CZunPoint3d ey = gdx.imagePtWc(CZunPoint3d(0, 1, 0)) - CZunVector3d(o.x, o.y, o.z);
    // Solve p - o = u ex + v ey.
    const double det = ex.x * ey.y - ex.y * ey.x;
    const double u = ((p.x - o.x) * ey.y - (p.y - o.y) * ey.x) / det;
    const double v = (ex.x * (p.y - o.y) - ex.y * (p.x - o.x)) / det;
    return {static_cast<int>(std::lround(u)), static_cast<int>(std::lround(v))};
}

} // namespace

TEST_P(PlatePicture, OpeningsShowTheBackground)
{
    const Spot& spot = GetParam();
    CZunGDX gdx = host.build(L"D4");
    const QImage picture = zunPaintFitted(gdx, 600, 600);
    const QPoint pixel = pixelOf(gdx, spot.at);
    ASSERT_TRUE(picture.rect().contains(pixel));
    const QRgb background = picture.pixel(0, 0);  // the margin round the fitted plate
    if (spot.opening)
        EXPECT_EQ(picture.pixel(pixel), background) << pixel.x() << "," << pixel.y();
    else
        EXPECT_NE(picture.pixel(pixel), background) << pixel.x() << "," << pixel.y();
}

INSTANTIATE_TEST_SUITE_P(SamplePlate, PlatePicture, ::testing::ValuesIn(kSpots),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PlateOpenings, TheFilledPlateHoldsEachOpeningOnceAndTheSlotsAreNoLongerFilled)
{
    HostPicture host;
    const CZunGDX gdx = host.build(L"D4");
    const CZunDisplayItem* plate = nullptr;
    int filledRegions = 0;
    for (const CZunDisplayItem& item : gdx.getDisplayList()) {
        if (item.type != objReg || !(item.flag & gdxFlagFill))
            continue;
        ++filledRegions;
        plate = &item;
    }
    ASSERT_EQ(filledRegions, 1) << "the slots keep only their outline";
    // Four anchor holes, two levelling screws' bores, two slots: the
    // drillings' other circles lie inside those and are left alone.
    EXPECT_EQ(plate->reg.len(), 1 + 4 + 2 + 2);
}
