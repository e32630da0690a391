#include "imaging/picture_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace zv {

ByteBlock readFileBytes(const std::string& path)
{
    try {
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return {};
        return ByteBlock(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (...) {
        return {};
    }
}

bool writeFileBytes(const std::string& path, const ByteBlock& bytes)
{
    try {
        const std::string temporary = path + ".part";
        {
            std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
            if (!out)
                return false;
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            out.close();
            if (!out) {
                std::remove(temporary.c_str());
                return false;
            }
        }
        std::error_code error;
        std::filesystem::rename(temporary, path, error);
        if (error) {
            std::remove(temporary.c_str());
            return false;
        }
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace zv
