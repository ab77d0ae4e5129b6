// Stage timings (thread CPU time) of the calling thread's last alignment run, for
// benchmarks and tuning.
#pragma once

struct vx_KSRunStats {
    double pyramidMs = 0.0; // pyramid, gradients and care maps
    double topMs = 0.0;     // exhaustive search of the top level
    double trackMs = 0.0;   // tracking down to the fine level
    double refineMs = 0.0;  // least-squares refinement, scoring and merging
    long topCandidates = 0; // candidates the top level handed on
    long refined = 0;       // candidates refined to the end (not given up)
};

// The calling thread's record, overwritten by each run.
vx_KSRunStats& vf_KSLastRunStats();
