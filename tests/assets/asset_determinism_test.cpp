// SPDX-License-Identifier: GPL-3.0-or-later
// The generator writes the same bytes on every run, so builds are reproducible and the data
// tree only changes when the generator does.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace fs = std::filesystem;

namespace {

std::map<std::string, std::string> readTree(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        std::string rel = fs::relative(e.path(), root).string();
        if (e.is_directory()) {
            files[rel + "/"] = "";
            continue;
        }
        std::ifstream in(e.path(), std::ios::binary);
        files[rel] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

} // namespace

TEST(AssetGenerator, TwoRunsWriteTheSameBytes) {
    fs::path base = fs::temp_directory_path() / ("assetgen-test-" + std::to_string(::getpid()));
    fs::remove_all(base);
    for (const char* run : {"a", "b"}) {
        std::string cmd = std::string("\"") + ASSETGEN_EXE + "\" \"" + (base / run).string() + "\"";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    }
    auto a = readTree(base / "a"), b = readTree(base / "b");
    fs::remove_all(base);
    ASSERT_GT(a.size(), 40u);
    EXPECT_TRUE(a.count("Save/")) << "no Save folder";
    ASSERT_EQ(a.size(), b.size());
    for (const auto& [name, bytes] : a) {
        auto it = b.find(name);
        ASSERT_NE(it, b.end()) << name;
        EXPECT_TRUE(bytes == it->second) << name << " differs between runs";
    }
}
