// Replays the fuzz targets' seed corpus through their checks against the real core, so every
// build, not only the clang fuzz build, sees the inputs that matter.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "create/file_name.h"
#include "tests/support/file_name_check.h"
#include "tests/support/files.h"
#include "tests/support/image_check.h"

namespace tilewright {
namespace {

struct Seed {
    std::string name;
    std::string bytes;
};

std::vector<Seed> seeds(const char* target) {
    const std::filesystem::path folder = std::filesystem::path(TILEWRIGHT_FUZZ_CORPUS) / target;
    std::vector<Seed> all;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::vector<std::uint8_t> bytes = test::readFile(entry.path());
        all.push_back({entry.path().filename().string(), {bytes.begin(), bytes.end()}});
    }
    return all;
}

TEST(SeedCorpus, RomImageSeedsBuildCorrectImagesOrAreRefused) {
    const auto corpus = seeds("rom_image");
    ASSERT_GE(corpus.size(), 10u);
    for (const Seed& seed : corpus) {
        for (const std::uint8_t icon : {0, 1, 2, 3, 4, 5, 6, 200, 255}) {
            EXPECT_EQ(findBuildFault(seed.bytes, icon), std::nullopt) << seed.name;
        }
    }
}

TEST(SeedCorpus, FileNameSeedsAreSanitised) {
    const auto corpus = seeds("file_name");
    ASSERT_FALSE(corpus.empty());
    for (const Seed& seed : corpus) {
        for (const FileNameRules rules : {FileNameRules::Windows, FileNameRules::Posix}) {
            EXPECT_EQ(findFileNameFault(seed.bytes, rules, sanitizeFileName(seed.bytes, rules)),
                      std::nullopt)
                << seed.name;
        }
    }
}

}  // namespace
}  // namespace tilewright
