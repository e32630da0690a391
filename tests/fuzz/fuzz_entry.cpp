// The libFuzzer entry of one target; ZV_FUZZ_CHECK names its check routine.
#include "tests/fuzz/checks.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ZV_FUZZ_CHECK(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
