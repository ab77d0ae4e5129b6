// Arrange and verification results as plain Python values (dicts, lists, tuples and
// numbers) that the package's Python side turns into its result classes.
#pragma once

#include "vxOCAlphabet.h"
#include "vxToolCommands.h"
#include "vxToolReport.h"
#include "vxToolVerifyImage.h"

#include <pybind11/pybind11.h>

// {found, truncated, time_ms, positions, lines}: per position index, name, status
// ("matched", "inferred", "unknown"), score, x, y (the model origin's place), angle
// (degrees, clockwise on screen), scale, cell_center, cell (four corners) and line;
// per line name, positions and kind ("straight", "circular"). Needs the GIL.
pybind11::dict vfPyArrangeResult(const vxToolReport& report);

// {passed, time_ms, positions, lines}: per position index, name, verdict ("pass",
// "wrong", "missing"), reads_as (a name or None), score, rival_score, status, and
// cell_center where verification judged it. Needs the GIL.
pybind11::dict vfPyVerifyResult(const vxToolVerifyOutcome& run, const vxOCAlphabet& alphabet);
