// The tool's output files: every one is replaced whole or left as it was (see
// vxOutputFile.h), and checked before the work that produces it starts.
#pragma once

#include <string>

// Throws vxToolError "PATH: cannot write (...)" unless `path` can be written now
// (its folder exists and takes a new file, or it is a writable device).
void vfToolCheckOutput(const std::string& path);

// Replaces `path` with `bytes`; on failure throws vxToolError "PATH: cannot write
// (...)" and leaves `path` as it was.
void vfToolWriteOutput(const std::string& path, const std::string& bytes);
