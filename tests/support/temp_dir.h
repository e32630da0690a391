#pragma once
// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes away.

#include <filesystem>
#include <string>
#include <string_view>

namespace zv::test {

class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The path of name inside the folder (the file need not exist).
    std::string filePath(std::string_view name) const;
    // Writes bytes (NUL bytes included) to name inside the folder and
    // returns its path.
    std::string writeFile(std::string_view name, std::string_view bytes) const;
    // The whole content of a file, "" when it cannot be read.
    static std::string readFile(const std::filesystem::path& file);

private:
    std::filesystem::path path_;
};

// Sets (or, with nullptr, unsets) one environment variable for the life of
// the object and puts the previous state back afterwards.
class ScopedEnv
{
public:
    ScopedEnv(std::string name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    bool hadValue_ = false;
    std::string oldValue_;
};

} // namespace zv::test
