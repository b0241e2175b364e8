// Replays the saved fuzz inputs through the fuzz harness: every input that once broke an
// invariant (fuzz/regressions/<target>/) and the seed corpus the build made from the tests
// (fuzz-corpus/<target>/ in the tests' build folder).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "harness/fuzz_harness.h"

namespace {

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

// Runs every file below <folder>/<target>/; returns how many there were.
int ReplayAll(const std::filesystem::path& folder) {
    int replayed = 0;
    for (int t = 0; t < fuzzing::kTargetCount; ++t) {
        const auto target = static_cast<fuzzing::Target>(t);
        const std::filesystem::path directory = folder / fuzzing::TargetName(target);
        if (!std::filesystem::is_directory(directory)) continue;
        for (const auto& entry : std::filesystem::directory_iterator(directory)) {
            if (!entry.is_regular_file()) continue;
            const std::vector<uint8_t> bytes = ReadBytes(entry.path());
            EXPECT_EQ(fuzzing::RunInput(target, bytes.data(), bytes.size()), "")
                << fuzzing::TargetName(target) << ": " << entry.path().filename();
            ++replayed;
        }
    }
    return replayed;
}

TEST(FuzzReplay, SavedFailuresNowPass) {
    ReplayAll(std::filesystem::path(KV_SOURCE_DIR) / "fuzz" / "regressions");
}

TEST(FuzzReplay, SeedCorpusPasses) {
    EXPECT_GT(ReplayAll(KV_SEED_CORPUS_DIR), 0);
}

} // namespace
