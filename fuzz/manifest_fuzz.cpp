// The tool's manifest parser on any text. A manifest either fails with vxToolError or
// gives entries that, written out again as manifest lines, parse to the same entries.
#include "fuzz_support.h"

#include "vxToolArgs.h"
#include "vxToolManifest.h"
#include "vxToolText.h"

#include <sstream>

namespace {

std::string format(const std::vector<vxToolManifestEntry>& entries) {
    std::ostringstream out;
    for (const vxToolManifestEntry& e : entries) {
        out << e.key << ' ' << vfToolToUtf8(e.name) << ' ' << e.image;
        if (e.hasArea)
            out << ' ' << e.area.x() << ' ' << e.area.y() << ' ' << e.area.width() << ' '
                << e.area.height();
        if (e.isBlank) out << " blank";
        if (!e.mask.empty()) out << " mask=" << e.mask;
        out << '\n';
    }
    return out.str();
}

bool sameEntries(const vxToolManifestEntry& a, const vxToolManifestEntry& b) {
    return a.key == b.key && a.name == b.name && a.image == b.image && a.hasArea == b.hasArea &&
           (!a.hasArea || a.area == b.area) && a.isBlank == b.isBlank && a.mask == b.mask;
}

vxFuzzBytes bytesOf(const std::string& text) {
    return vxFuzzBytes(text.begin(), text.end());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    vfFuzzWriteSeedsIfAsked(
        *argc, *argv,
        {bytesOf("# KEY NAME IMAGE X Y W H\n48 0 sheet.png 10 10 28 42\n49 1 sheet.png 38 10 28 "
                 "42\n"),
         bytesOf("65 A a.pgm mask=a-mask.pgm\r\n32 space blank.pgm blank\n\n#end\n"),
         bytesOf("-7 \xc3\xa9 x.pgm 0 0 5 5 blank mask=m.pgm\n")});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<vxToolManifestEntry> entries;
    try {
        std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
        entries = vfToolParseManifest(in, "input");
    } catch (const vxToolError&) {
        return 0;
    }
    std::istringstream again(format(entries));
    std::vector<vxToolManifestEntry> reread;
    try {
        reread = vfToolParseManifest(again, "again");
    } catch (const vxToolError& e) {
        vfFuzzFail(std::string("written entries do not parse: ") + e.what());
    }
    if (reread.size() != entries.size()) vfFuzzFail("written entries parse to another count");
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (!sameEntries(entries[i], reread[i])) vfFuzzFail("written entries parse different");
    return 0;
}
