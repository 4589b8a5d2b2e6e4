#pragma once

// A small solid modeller for part images: a block, a turned body about the
// z axis, or a block with a turned hole cut into it (a drilled plate). It
// knows its faces exactly (planes, cylinders, cones) and draws them as
// edges: the block's edges, the circles where the turned faces meet, and
// the silhouettes of cylinders and cones for the direction they are seen
// from, each split into visible and hidden pieces.

#include "contracts/base/zun_vertex.h"

class CZun_Solid {
public:
    // A point of a turned profile: distance from the z axis and height.
    struct Ring {
        double radius = 0.0;
        double z = 0.0;
    };

    CZun_Solid() = default;

    // Back to an empty definition.
    void clear();

    // The block between two opposite corners, edges along the axes.
    void setBlock(const CZunPoint3d& corner1, const CZunPoint3d& corner2);
    // A body turned about the z axis: the profile runs from top to bottom
    // (z never rising), radii 0 only at its last point (a closed tip).
    // With cut the body is removed from the block: its first ring must lie
    // in the block's top face, and it either ends in the bottom face (a
    // through hole) or closes above it (a blind hole). Without cut it is a
    // body of its own, closed by flat caps where its ends are not points,
    // and there is no block.
    void setRevolved(const CZunArrayTempl<Ring>& profile, bool cut);

    bool hasBlock() const { return m_hasBlock; }
    const CZunPoint3d& blockMin() const { return m_min; }
    const CZunPoint3d& blockMax() const { return m_max; }
    const CZunArrayTempl<Ring>& profile() const { return m_profile; }
    bool isCut() const { return m_cut; }

    // Checks the definition and makes the solid; false (and no solid) when
    // the pieces do not make one. Changing the definition unmakes it.
    bool solid();
    bool isSolid() const { return m_built; }

    // Sets how finely circles are followed: 32 pieces per turn at quality 0,
    // twice as many for each step up to 4; 64 until evaluated. False without
    // a solid or for a negative quality.
    bool evaluate(int quality);
    int segments() const { return m_segments; }

    // The solid's edges seen through a view. The view's columns are the
    // picture's x and y axes and the direction towards the viewer, in the
    // solid's coordinates, and its translation the point shown at the
    // picture's origin (a view "from" (1, -1, 1) has the columns (1, 1, 0),
    // (-1, 1, 2), (1, -1, 1), normalised); the projection is parallel along
    // the third column. Polylines come back in picture coordinates: z is the
    // depth towards the viewer with flag set, else 0. Pieces hidden behind
    // faces go to hidden, the others to visible; both lists are emptied
    // first. An edge seen end-on is left out. modelerType 1 removes hidden
    // lines; 0 gives every edge as visible (a wire frame). False without a
    // solid, for another modeler type or a view that cannot be inverted.
    bool project(const CZunMatrix3d& view, bool flag, int modelerType, CZunArrayTempl<CZunVertexArray>& visible,
                 CZunArrayTempl<CZunVertexArray>& hidden) const;

    // The box around the solid; false without a solid.
    bool extents(CZunPoint3d& minCorner, CZunPoint3d& maxCorner) const;

private:
    bool m_hasBlock = false;
    CZunPoint3d m_min;
    CZunPoint3d m_max;
    CZunArrayTempl<Ring> m_profile;
    bool m_cut = false;
    bool m_built = false;
    int m_segments = 64;
};
