// The octool subcommands. Each takes the arguments after its name, writes its output
// to stdout and returns the exit code; faults are thrown (vxToolError and the module's
// exceptions) for main to report.
#pragma once

#include "vxDiagObject.h"
#include "vxImageFile.h"
#include "vxOCAlphabet.h"
#include "vxOCArrangeParams.h"
#include "vxOCVerify.h"
#include "vxPelBuffer.h"
#include "vxToolReport.h"

#include <ostream>
#include <string>
#include <vector>

int vfToolTeachCommand(int argc, char** argv, int first);
int vfToolCompileCommand(int argc, char** argv, int first);
int vfToolArrangeCommand(int argc, char** argv, int first);
int vfToolRenderCommand(int argc, char** argv, int first);
int vfToolDemoCommand(int argc, char** argv, int first);
int vfToolVerifyCommand(int argc, char** argv, int first);

// What arrange and verify read from their arguments: the arrange parameters set by
// `assignments` ("NAME=VALUE"), the alphabet (compiled), the target's keys, the image
// (left unbound with --images, whose images are read one by one) and the mask (unbound
// without --mask), read as --bits16 says. The --overlay and --report paths are checked
// before any file is read. Throws vxToolError (or the module's errors) on a fault.
struct vxToolRunInputs {
    vxOCArrangeParams params;
    vxOCAlphabet alphabet;
    std::vector<long> keys;
    vxPelBuffer<unsigned char> image, mask;
};
class vxToolArgs;
vxToolRunInputs vfToolReadRunInputs(const vxToolArgs& args,
                                    const std::vector<std::string>& assignments);
// How images are read: --bits16=high takes 16-bit samples' high bytes (any other value
// is refused); without it 16-bit images are refused.
vxImageReadOptions vfToolReadOptions(const vxToolArgs& args);

// The alphabet of the manifest at `manifestPath` (see vxToolManifest.h), named after
// the manifest's folder, compiled when `compile` is true, its images read as
// `readOptions` says. Reports what it did to `log`.
vxOCAlphabet vfToolTeach(const std::string& manifestPath, double threshold, bool compile,
                         std::ostream& log, const vxImageReadOptions& readOptions = {});

// Arranges `targetKeys` in `image` (within `mask` when bound), compiling an
// uncompiled alphabet first, and returns the report with the arrange time. Every
// diagnostic record of the arrange call goes to `diag` when it is not null.
vxToolReport vfToolArrange(const vxPelBuffer_const<unsigned char>& image,
                           const vxPelBuffer_const<unsigned char>& mask, vxOCAlphabet& alphabet,
                           const std::vector<long>& targetKeys, const vxOCArrangeParams& params,
                           vxDiagObject* diag = nullptr);

// Whether verification has a parameter of this name (margin, minScore, xyRange,
// angleRange), and setting it from text; throws vxToolError, its message starting with
// `what`, for another name, a value that is not a number or one the setter refuses.
bool vfToolIsVerifyParam(const std::string& name);
void vfToolSetVerifyParam(vxOCVerifyParams& params, const std::string& name,
                          const std::string& value, const std::string& what);

