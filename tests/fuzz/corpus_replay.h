#pragma once
// Feeds every seed and finding kept under tests/fuzz/corpus/<target>/ to that
// target's check in the normal test build, so that a fault the fuzzers once
// found stays fixed. A failed property is reported as a test failure naming
// the file.

#include "tests/fuzz/fuzz_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace zv::fuzz {

// A compiler cache may have made __FILE__ relative to the build folder; the
// test programs sit (and run) in folders below it, so the parents of their
// own folder and of the working folder are tried.
inline std::filesystem::path corpusFolder(std::string_view target)
{
    const std::filesystem::path corpus = std::filesystem::path(__FILE__).parent_path() / "corpus";
    if (!corpus.is_absolute()) {
        std::error_code error;
        for (std::filesystem::path start : {std::filesystem::read_symlink("/proc/self/exe", error).parent_path(),
                                            std::filesystem::current_path(error)}) {
            for (std::filesystem::path dir = start; !dir.empty(); dir = dir.parent_path()) {
                if (std::filesystem::is_directory(dir / corpus, error))
                    return dir / corpus / std::string(target);
                if (dir == dir.parent_path())
                    break;
            }
        }
    }
    return corpus / std::string(target);
}

// The number of files replayed.
template <typename Check> int replayCorpus(std::string_view target, Check check)
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(corpusFolder(target))) {
        if (entry.is_regular_file())
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const std::filesystem::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        failureHandler() = [&](const std::string& what) {
            ADD_FAILURE() << target << "/" << file.filename().string() << ": " << what;
        };
        check(std::string_view(bytes));
    }
    failureHandler() = {};
    return static_cast<int>(files.size());
}

} // namespace zv::fuzz
