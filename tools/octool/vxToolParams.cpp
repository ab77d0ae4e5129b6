// The table of arrange parameter fields: how each is parsed, set, shown and described.
#include "vxToolParams.h"

#include "vxToolArgs.h"

#include <cstdio>
#include <functional>
#include <sstream>
#include <vector>

namespace {

using Defs = vxOCArrangeDefs;

struct EnumName {
    const char* name;
    int value;
};
const std::vector<EnumName> kLineTypes = {
    {"eStraight", Defs::eStraight}, {"eCircular", Defs::eCircular}, {"eDontCare", Defs::eDontCare}};
const std::vector<EnumName> kModes = {{"eSpecified", Defs::eSpecified},
                                      {"eAverage", Defs::eAverage}};
const std::vector<EnumName> kReferences = {{"eAbsolute", Defs::eAbsolute},
                                           {"eRelative", Defs::eRelative}};

std::string number(double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.10g", v);
    return buffer;
}

std::string names(const std::vector<EnumName>& list) {
    std::string out;
    for (const EnumName& e : list) {
        if (!out.empty()) out += '|';
        out += e.name;
    }
    return out;
}

// An enumerator name or its number. Other numbers are refused here: converting them
// to the enumeration would already be undefined behaviour.
int parseEnum(const std::string& text, const std::vector<EnumName>& list, const std::string& what) {
    for (const EnumName& e : list)
        if (text == e.name || text == std::to_string(e.value)) return e.value;
    throw vxToolError(what + ": '" + text + "' is none of " + names(list));
}

std::string enumText(int value, const std::vector<EnumName>& list) {
    for (const EnumName& e : list)
        if (value == e.value) return e.name;
    return std::to_string(value);
}

bool parseBool(const std::string& text, const std::string& what) {
    if (text == "true") return true;
    if (text == "false") return false;
    throw vxToolError(what + ": '" + text + "' is neither true nor false");
}

int parseInt(const std::string& text, const std::string& what) {
    const long v = vfToolParseLong(text, what);
    if (v < -0x7fffffffL - 1 || v > 0x7fffffffL)
        throw vxToolError(what + ": '" + text + "' is out of the 32-bit range");
    return static_cast<int>(v);
}

// Degrees, or radians with the suffix "rad" ("deg" is accepted too).
vxRadian parseAngle(const std::string& text, const std::string& what) {
    const auto endsWith = [&](const char* s) {
        const std::string suffix = s;
        return text.size() > suffix.size() &&
               text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
    };
    if (endsWith("rad")) return vxRadian(vfToolParseDouble(text.substr(0, text.size() - 3), what));
    if (endsWith("deg"))
        return vxRadian(vxDegree(vfToolParseDouble(text.substr(0, text.size() - 3), what)));
    return vxRadian(vxDegree(vfToolParseDouble(text, what)));
}

std::string angleText(vxRadian a) {
    return number(vxDegree(a).plain());
}

vxRange parseRange(const std::string& text, const std::string& what) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos)
        throw vxToolError(what + ": '" + text + "' is not a range START:END");
    // A reversed range is the empty range, which the setter refuses with its message.
    return vxRange(vfToolParseDouble(text.substr(0, colon), what),
                   vfToolParseDouble(text.substr(colon + 1), what));
}

struct Field {
    const char* name;
    std::string form;
    const char* meaning;
    std::function<void(vxOCArrangeParams&, const std::string&, const std::string&)> set;
    std::function<std::string(const vxOCArrangeParams&)> get;
};

// Fields of a plain type: parse the text, then call the setter.
#define OC_DOUBLE_FIELD(NAME, MEANING)                                                             \
    Field {                                                                                        \
#NAME, "number", MEANING,                                                                  \
            [](vxOCArrangeParams & p, const std::string& v,                                        \
               const std::string&                                                                  \
                   w) { p.NAME(vfToolParseDouble(v, w)); }, [](const vxOCArrangeParams&            \
                                                                   p) { return number(p.NAME()); } \
    }
#define OC_INT_FIELD(NAME, MEANING)                                                                \
    Field {                                                                                        \
#NAME, "integer", MEANING,                                                                 \
            [](vxOCArrangeParams & p, const std::string& v,                                        \
               const std::string&                                                                  \
                   w) { p.NAME(parseInt(v, w)); }, [](const vxOCArrangeParams&                     \
                                                          p) { return std::to_string(p.NAME()); }  \
    }
#define OC_BOOL_FIELD(NAME, MEANING)                                                               \
    Field {                                                                                        \
#NAME, "true|false", MEANING,                                                              \
            [](vxOCArrangeParams& p, const std::string& v, const std::string& w) {                 \
                p.NAME(parseBool(v, w));                                                           \
            },                                                                                     \
            [](const vxOCArrangeParams& p) { return std::string(p.NAME() ? "true" : "false"); }       \
    }
#define OC_ANGLE_FIELD(NAME, MEANING)                                                              \
    Field {                                                                                        \
#NAME, "degrees", MEANING,                                                                 \
            [](vxOCArrangeParams & p, const std::string& v,                                        \
               const std::string&                                                                  \
                   w) { p.NAME(parseAngle(v, w)); }, [](const vxOCArrangeParams&                   \
                                                            p) { return angleText(p.NAME()); }     \
    }
#define OC_ENUM_FIELD(NAME, TYPE, LIST, MEANING)                                                   \
    Field {                                                                                        \
#NAME, names(LIST), MEANING,                                                               \
            [](vxOCArrangeParams& p, const std::string& v, const std::string& w) {                 \
                p.NAME(static_cast<Defs::TYPE>(parseEnum(v, LIST, w)));                            \
            },                                                                                     \
            [](const vxOCArrangeParams& p) { return enumText(p.NAME(), LIST); }       \
    }

const std::vector<Field>& fields() {
    static const std::vector<Field> table = {
        Field{"scaleRange", "START:END", "character scales the finder searches",
              [](vxOCArrangeParams& p, const std::string& v, const std::string& w) {
                  p.scaleRange(parseRange(v, w));
              },
              [](const vxOCArrangeParams& p) {
                  return number(p.scaleRange().start()) + ":" + number(p.scaleRange().end());
              }},
        OC_DOUBLE_FIELD(minMatchScore, "lowest finder score accepted as a match (0 to 1)"),
        OC_INT_FIELD(maxLines, "most lines the arrangement may have (at least 1)"),
        OC_ENUM_FIELD(lineType, LineType, kLineTypes, "kind of every line"),
        OC_BOOL_FIELD(isTextDirectionSpecified,
                      "whether the two text directions below constrain the lines"),
        OC_ANGLE_FIELD(straightTextDirection, "reading direction of straight lines"),
        OC_BOOL_FIELD(isCircularTextDirectionClockwise, "reading sense of circular lines"),
        OC_INT_FIELD(maxUnmatchedChars, "most positions left without a match (at least 0)"),
        OC_ENUM_FIELD(orientationMode, OrientationMode, kModes,
                      "expected character orientation: given, or the matches' average"),
        OC_ENUM_FIELD(orientationReference, OrientationReference, kReferences,
                      "orientation judged in the image frame or relative to the line"),
        OC_ANGLE_FIELD(expectedOrientation, "expected orientation with eSpecified"),
        OC_DOUBLE_FIELD(lineBreakCost, "cost of starting a new line"),
        OC_DOUBLE_FIELD(unmatchedCharCost, "cost of a position without a match"),
        OC_DOUBLE_FIELD(normalTransCost, "weight of a character's offset across its line"),
        OC_DOUBLE_FIELD(tangentialTransCost, "weight of a character's spacing error"),
        OC_DOUBLE_FIELD(orientationCost, "weight of a character's orientation error"),
        OC_DOUBLE_FIELD(scaleCost, "weight of a character's scale error"),
        OC_BOOL_FIELD(compPoseUncertainties, "whether line building computes uncertainties"),
        OC_INT_FIELD(maxCandidates, "arrangement search stops at this many waiting candidates"),
        OC_DOUBLE_FIELD(timeout, "time limit of each character's search in ms (0 = at once)"),
    };
    return table;
}

} // namespace

bool vfToolSetParam(vxOCArrangeParams& params, const std::string& name, const std::string& value,
                    const std::string& what) {
    for (const Field& f : fields()) {
        if (name != f.name) continue;
        try {
            f.set(params, value, what);
        } catch (const vxToolError&) {
            throw;
        } catch (const std::exception& e) {
            throw vxToolError(what + ": " + e.what()); // the setter's own message
        }
        return true;
    }
    return false;
}

void vfToolSetParam(vxOCArrangeParams& params, const std::string& assignment) {
    const std::size_t eq = assignment.find('=');
    if (eq == std::string::npos) throw vxToolError("--set " + assignment + ": expected NAME=VALUE");
    const std::string name = assignment.substr(0, eq);
    if (!vfToolSetParam(params, name, assignment.substr(eq + 1), "--set " + assignment))
        throw vxToolError("--set " + assignment + ": no parameter is named '" + name +
                          "' (octool arrange --help lists them)");
}

std::string vfToolParamsHelp() {
    const vxOCArrangeParams defaults;
    std::ostringstream out;
    for (const Field& f : fields())
        out << "  " << f.name << "=" << f.form << "  (default " << f.get(defaults) << ")\n      "
            << f.meaning << "\n";
    return out.str();
}
