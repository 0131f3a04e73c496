// Replays the fuzz targets' seed corpus through their checks against the real core, so every
// build, not only the clang fuzz build, sees the inputs that matter.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "create/file_name.h"
#include "fuzz/file_name_check.h"
#include "fuzz/image_check.h"
#include "fuzz/tile_check.h"
#include "rom/name_tiles.h"

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
        std::ifstream in(entry.path(), std::ios::binary);
        all.push_back({entry.path().filename().string(),
                       {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()}});
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

TEST(SeedCorpus, NameTileSeedsAgree) {
    const auto corpus = seeds("name_tiles");
    ASSERT_FALSE(corpus.empty());
    for (const Seed& seed : corpus) {
        for (std::size_t i = 0; i + 4 <= seed.bytes.size(); i += 4) {
            std::uint32_t code;
            std::memcpy(&code, seed.bytes.data() + i, sizeof code);
            EXPECT_EQ(findTileFault(static_cast<char32_t>(code), tileForChar), std::nullopt);
            EXPECT_EQ(findKeyFilterFault(static_cast<std::int16_t>(code & 0xFFFF), filterKey,
                                         tileForChar),
                      std::nullopt);
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
