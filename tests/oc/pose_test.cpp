// Character poses from transforms.
#include "vx_ArrangePose.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

TEST(Pose, FromXformTakesSimilarityAngleAndAreaScale) {
    const vx_Pose turn = vf_PoseFromXform(vxXform<2>(vxMatrix<2>(0, -1, 1, 0), vxVector<2>(3, 4)));
    EXPECT_DOUBLE_EQ(turn.angle().plain(), std::numbers::pi / 2);
    EXPECT_DOUBLE_EQ(turn.scale(), 1.0);
    EXPECT_EQ(turn.rigid().trans(), vxVector<2>(3, 4));

    const vx_Pose zero = vf_PoseFromXform(vxXform<2>(vxMatrix<2>(0, 0, 0, 0), vxVector<2>()));
    EXPECT_EQ(zero.angle().plain(), 0.0);
    EXPECT_EQ(zero.scale(), 0.0);

    // A mirror (det -4) still has a positive scale.
    const vx_Pose mirror = vf_PoseFromXform(vxXform<2>(vxMatrix<2>(2, 0, 0, -2), vxVector<2>()));
    EXPECT_DOUBLE_EQ(mirror.scale(), 2.0);
    EXPECT_DOUBLE_EQ(mirror.logScale(), std::log(2.0));

    const vx_Pose back =
        vf_PoseFromXform(vx_Pose(vxVector<2>(10, -5), vxRadian(-2.5), 1.7).xform());
    EXPECT_NEAR(back.angle().plain(), -2.5, 1e-12);
    EXPECT_NEAR(back.scale(), 1.7, 1e-12);
}
