// Sample objects and seed writing for the fuzz targets.
#include "fuzz_support.h"

#include "vxOCArrange.h"
#include "vxTestScene.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

void vfFuzzFail(const std::string& what) {
    std::fprintf(stderr, "fuzz: %s\n", what.c_str());
    std::abort();
}

void vfFuzzWriteSeedsIfAsked(int argc, char** argv, const std::vector<vxFuzzBytes>& seeds) {
    const char* const option = "--write-seeds=";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], option, std::strlen(option)) != 0) continue;
        const std::filesystem::path dir = argv[i] + std::strlen(option);
        std::filesystem::create_directories(dir);
        for (std::size_t k = 0; k < seeds.size(); ++k) {
            std::ofstream out(dir / ("seed-" + std::to_string(k)), std::ios::binary);
            out.write(reinterpret_cast<const char*>(seeds[k].data()),
                      static_cast<std::streamsize>(seeds[k].size()));
            if (!out.flush()) vfFuzzFail("cannot write the seeds to " + dir.string());
        }
        std::printf("wrote %zu seeds to %s\n", seeds.size(), dir.c_str());
        std::exit(0);
    }
}

vxPtrHandle_const<vxOCModel> vfFuzzModel(char digit) {
    vxTestScene look;
    look.blurSigma = 0.7;
    look.noiseSigma = 0.0;
    const vxTestImage r = vfRenderTestChar(digit, 12.0, look, 2);
    // The client origin at the image's centre, as the tool teaches.
    vxPelBuffer<unsigned char> image = r.image;
    const vxPelRect w = image.window();
    image.clientFromImageXform(
        vxXform<2>(vxMatrix<2>(), vxVector<2>(-0.5 * w.width(), -0.5 * w.height())));
    return vxPtrHandle_const<vxOCModel>(new vxOCModel(digit, image, w, vxOCModel::eNormal,
                                                      std::wstring(1, wchar_t(digit)), L"digit"));
}

vxOCAlphabet vfFuzzAlphabet(bool compiled) {
    static const vxOCAlphabet plain({vfFuzzModel('0'), vfFuzzModel('1'), vfFuzzModel('2')}, 0.6,
                                    false, L"digits");
    static const vxOCAlphabet done = [] {
        vxOCAlphabet a(plain);
        a.compile();
        return a;
    }();
    return compiled ? done : plain;
}

vxOCKeySet vfFuzzKeySet() {
    vxOCKeySet keys({'0', '1', '2'}, std::vector<long>{0, 2});
    keys.confusionOverrides('1', {'0', '2'});
    return keys;
}

vxOCLine vfFuzzLine() {
    const vxPtrHandle_const<vxOCAlphabet> alphabet(new vxOCAlphabet(vfFuzzAlphabet(false)));
    return vxOCLine({vfFuzzKeySet(), vxOCKeySet({'1'}, 0), vxOCKeySet()}, alphabet,
                    vx2Rigid(vxVector<2>(10.0, 0.5), vxRadian(0.02)), 1.1, 2.0, vxRadian(0.1), 0.05,
                    L"line");
}

vxOCLineArrangement vfFuzzArrangement() {
    // Both lines share one line object, so the archive refers back to it.
    const vxPtrHandle_const<vxOCLine> line(new vxOCLine(vfFuzzLine()));
    return vxOCLineArrangement({line, line}, vx2Rigid(vxVector<2>(0.0, 20.0), vxRadian(0.0)), 3.0,
                               vxRadian(0.2), L"two lines");
}

vxOCArrangeParams vfFuzzParams() {
    vxOCArrangeParams p;
    p.scaleRange(vxRange(0.8, 1.25));
    p.minMatchScore(0.5);
    p.maxLines(2);
    p.lineType(vxOCArrangeDefs::eStraight);
    p.isTextDirectionSpecified(true);
    p.straightTextDirection(vxRadian(0.1));
    p.isCircularTextDirectionClockwise(false);
    p.maxUnmatchedChars(1);
    p.orientationMode(vxOCArrangeDefs::eSpecified);
    p.orientationReference(vxOCArrangeDefs::eAbsolute);
    p.expectedOrientation(vxRadian(-0.05));
    p.lineBreakCost(1.5);
    p.unmatchedCharCost(1.25);
    p.normalTransCost(0.75);
    p.tangentialTransCost(0.5);
    p.orientationCost(0.25);
    p.scaleCost(0.125);
    p.compPoseUncertainties(true);
    p.maxCandidates(5000);
    p.timeout(20.0);
    return p;
}

const vxPelBuffer<unsigned char>& vfFuzzImage() {
    static const vxPelBuffer<unsigned char> image = [] {
        vxTestScene scene;
        scene.width = 64;
        scene.height = 32;
        scene.blurSigma = 0.7;
        scene.noiseSigma = 2.0;
        std::vector<vxTestCharPlacement> placements;
        for (int i = 0; i < 3; ++i) {
            vxTestCharPlacement p;
            p.code = static_cast<char>('0' + i);
            p.size = 12.0;
            p.x = 20.0 + 11.0 * i;
            p.y = 16.0;
            placements.push_back(p);
        }
        return vfRenderTestImage(scene, placements).image;
    }();
    return image;
}

vxOCArrangeResults vfFuzzResults() {
    static const vxOCArrangeResults results = [] {
        vxOCArrangeParams params;
        params.timeout(1000.0);
        vxOCArrangeResults r;
        vfOCArrange(vfFuzzImage(), vfFuzzAlphabet(true), {'0', '1', '2'}, params, r);
        return r;
    }();
    return results;
}
