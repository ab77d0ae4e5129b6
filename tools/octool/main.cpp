// octool: the command-line face of the optical-character module. Dispatches to the
// subcommands and turns every fault into one "octool: ..." line on stderr and a
// non-zero exit code.
#include "vxToolArgs.h"
#include "vxToolCommands.h"

#include <cstring>
#include <exception>
#include <iostream>
#include <string>

namespace {

const char* const kUsage =
    "usage: octool COMMAND [options]   (octool COMMAND --help for its options)\n"
    "\n"
    "commands:\n"
    "  teach     teach an alphabet from a manifest of sample images and store it\n"
    "  compile   compile a stored alphabet and list its confusable characters\n"
    "  arrange   find a target string in an image; table, JSON and overlay output\n"
    "  verify    say whether an image carries a target string: PASS, or FAIL and why\n"
    "  render    write generated test images with ground truth, or sample sheets\n"
    "  demo      render, teach, compile and arrange a few stamps, writing pictures\n";

// One line, whatever the message holds.
std::string oneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text.empty() ? "unexpected error" : text;
}

int run(int argc, char** argv) {
    if (argc < 2) throw vxToolError("missing command (octool --help lists them)");
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kUsage;
        return 0;
    }
    if (command == "teach") return vfToolTeachCommand(argc, argv, 2);
    if (command == "compile") return vfToolCompileCommand(argc, argv, 2);
    if (command == "arrange") return vfToolArrangeCommand(argc, argv, 2);
    if (command == "render") return vfToolRenderCommand(argc, argv, 2);
    if (command == "verify") return vfToolVerifyCommand(argc, argv, 2);
    if (command == "demo") return vfToolDemoCommand(argc, argv, 2);
    throw vxToolError("unknown command '" + command + "' (octool --help lists them)");
}

} // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << "octool: " << oneLine(e.what()) << "\n";
    } catch (...) {
        std::cerr << "octool: unexpected error\n";
    }
    return 1;
}
