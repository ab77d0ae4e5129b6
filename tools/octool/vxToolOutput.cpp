// The tool's output files, through vxOutputFile.
#include "vxToolOutput.h"

#include "vxOutputFile.h"
#include "vxToolArgs.h"

void vfToolCheckOutput(const std::string& path) {
    try {
        vfCheckOutputPath(path);
    } catch (const vxOutputFileError& e) {
        throw vxToolError(e.what());
    }
}

void vfToolWriteOutput(const std::string& path, const std::string& bytes) {
    try {
        vfWriteOutputFile(path, bytes);
    } catch (const vxOutputFileError& e) {
        throw vxToolError(e.what());
    }
}
