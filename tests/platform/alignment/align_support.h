// Run parameters shared by the alignment tests.
#pragma once

#include "vxKSAlignParams.h"

// A full search: any angle, scale 0.9 to 1.1.
inline vxKSAlignRunParams fullSearch(long numToFind = 1) {
    vxKSAlignRunParams p;
    p.zoneEnable(vx_KSDefs::eAngleZone | vx_KSDefs::eScaleZone);
    p.zone(vx_KSDefs::eAngle, -180.0, 180.0);
    p.zone(vx_KSDefs::eScale, 0.9, 1.1);
    p.numToFind(numToFind);
    return p;
}
