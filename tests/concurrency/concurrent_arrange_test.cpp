// Four threads arranging on one shared compiled alphabet while a fifth compiles another
// alphabet, and the tool's batch runner verifying on three: every result must equal
// the one a single thread gets. Under ThreadSanitizer this also catches unsynchronised
// shared state (caches, registries, counters).
#include "vxOCArrange.h"
#include "vxOCVerify.h"
#include "vxTestLayout.h"
#include "vxToolBatch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

constexpr double kSize = 24.0;

vxOCAlphabet teach(const std::string& codes, bool compile) {
    vxTestScene look;
    look.blurSigma = 0.7;
    std::vector<vxPtrHandle_const<vxOCModel>> models;
    for (const char c : codes) {
        vxTestImage img = vfRenderTestChar(c, kSize, look, 2);
        img.image.clientFromImageXform(vxXform<2>(vxMatrix<2>(), -img.truth[0].center));
        models.emplace_back(new vxOCModel(c, img.image, img.image.window(), vxOCModel::eNormal,
                                          std::wstring(1, wchar_t(c)), L""));
    }
    return vxOCAlphabet(models, 0.5, compile, L"concurrent");
}

struct Scene {
    vxPelBuffer<unsigned char> image;
    std::vector<long> keys;
};

// A turned line of text; each scene differs so the threads do not run in lockstep.
Scene scene(const std::string& text, double angleDegrees, unsigned long seed) {
    vxTestScene look;
    look.width = 200;
    look.height = 90;
    look.blurSigma = 0.8;
    look.noiseSigma = 3.0;
    look.seed = seed;
    vxTestTextStyle style;
    style.size = kSize;
    const auto placements =
        vfLayoutLine(text, vxVector<2>(100, 45), vxRadian(vxDegree(angleDegrees)), style);
    return {vfRenderTestImage(look, placements).image, {text.begin(), text.end()}};
}

TEST(Concurrency, SharedAlphabetArrangesAsSeriallyWhileAnotherCompiles) {
    const vxOCAlphabet shared = teach("0123456", true);
    const std::vector<Scene> scenes = {scene("0123", 0.0, 1), scene("6543", 12.0, 2),
                                       scene("2046", -20.0, 3), scene("3150", 5.0, 4)};
    vxOCArrangeParams params;
    params.timeout(5000.0); // no time limit may strike, or results would depend on load

    std::vector<vxOCArrangeResults> serial(scenes.size());
    for (std::size_t i = 0; i < scenes.size(); ++i) {
        vfOCArrange(scenes[i].image, shared, scenes[i].keys, params, serial[i]);
        ASSERT_TRUE(serial[i].isFound()) << "scene " << i;
    }

    constexpr int kRounds = 2;
    std::vector<std::vector<vxOCArrangeResults>> parallel(scenes.size(),
                                                          std::vector<vxOCArrangeResults>(kRounds));
    std::vector<std::string> failures(scenes.size() + 1);
    vxOCAlphabet other = teach("789", false);
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < scenes.size(); ++i)
        threads.emplace_back([&, i] {
            ++ready;
            while (ready < int(scenes.size()) + 1)
                std::this_thread::yield();
            try {
                for (int round = 0; round < kRounds; ++round)
                    vfOCArrange(scenes[i].image, shared, scenes[i].keys, params,
                                parallel[i][round]);
            } catch (const std::exception& e) {
                failures[i] = e.what();
            }
        });
    threads.emplace_back([&] {
        ++ready;
        while (ready < int(scenes.size()) + 1)
            std::this_thread::yield();
        try {
            other.compile();
        } catch (const std::exception& e) {
            failures.back() = e.what();
        }
    });
    for (std::thread& t : threads)
        t.join();

    for (std::size_t i = 0; i < failures.size(); ++i)
        EXPECT_EQ(failures[i], "") << "thread " << i;
    for (std::size_t i = 0; i < scenes.size(); ++i)
        for (int round = 0; round < kRounds; ++round)
            EXPECT_TRUE(parallel[i][round] == serial[i]) << "scene " << i << ", round " << round;
    EXPECT_TRUE(other.isCompiled());
    EXPECT_TRUE(other == teach("789", true)) << "compiled beside the arrangers, it differs";
}

TEST(Concurrency, BatchVerificationOnASharedAlphabetReportsSerialResultsInOrder) {
    const vxOCAlphabet shared = teach("0123456", true);
    // The last scene carries a 6 where a 5 is expected, so that rivals are scored too.
    std::vector<Scene> scenes = {scene("0123", 0.0, 5), scene("6543", 12.0, 6), scene("2046", -20.0, 7)};
    scenes.back().keys[2] = '5';
    vxOCArrangeParams params;
    params.timeout(5000.0);
    const vxOCVerifyParams verifyParams;
    std::vector<vxOCVerifyResults> serial(scenes.size());
    for (std::size_t i = 0; i < scenes.size(); ++i)
        vfOCVerify(scenes[i].image, shared, scenes[i].keys, params, verifyParams, serial[i]);
    ASSERT_FALSE(serial.back().isPass());

    constexpr std::size_t kCount = 9;
    std::vector<vxOCVerifyResults> results(kCount);
    std::vector<std::size_t> order;
    const std::atomic<bool> stop{false};
    const std::size_t reported = vfToolRunBatch(
        kCount, 3,
        [&](std::size_t i) {
            const Scene& s = scenes[i % scenes.size()];
            vfOCVerify(s.image, shared, s.keys, params, verifyParams, results[i]);
        },
        [&](std::size_t i) { order.push_back(i); }, stop);
    EXPECT_EQ(reported, kCount);
    for (std::size_t i = 0; i < kCount; ++i) {
        EXPECT_EQ(order.at(i), i);
        EXPECT_TRUE(results[i] == serial[i % scenes.size()]) << "image " << i;
    }
}

} // namespace
