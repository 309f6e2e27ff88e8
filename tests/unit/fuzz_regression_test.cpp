#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "run_one.hpp"

namespace marlune::test {
namespace {

std::vector<std::filesystem::path> inputs_in(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().filename() != "README") files.push_back(entry.path());
    return files;
}

// Every input that once made a fuzz target fail, and every seed of the fuzz
// corpus, runs again through all six commands; under the sanitizer build any
// fault shows here.
TEST(FuzzRegressions, EveryFindingAndSeedRunsCleanly) {
    std::vector<std::filesystem::path> files = inputs_in(MARLUNE_FUZZ_REGRESSIONS);
    const std::vector<std::filesystem::path> seeds = inputs_in(MARLUNE_FUZZ_CORPUS);
    ASSERT_GE(seeds.size(), 10u) << "the seed corpus is missing";
    files.insert(files.end(), seeds.begin(), seeds.end());
    for (const auto& file : files) {
        std::ifstream stream(file, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
        for (const auto command : {driver::Command::au, driver::Command::bu, driver::Command::ua, driver::Command::ub,
                                   driver::Command::ab, driver::Command::ba}) {
            SCOPED_TRACE(file.filename().string());
            fuzz::run_one(command, data, bytes.size());
        }
    }
}

}  // namespace
}  // namespace marlune::test
