// The fuzz targets of our text-file readers: one executable per reader,
// ZUN_FUZZ_CHECK naming its check in reader_checks.h. A broken promise
// aborts with what broke, so that libFuzzer keeps the input.

#include "fuzz/reader_checks.h"

#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string problem = zun_fuzz::ZUN_FUZZ_CHECK(data, size);
    if (!problem.empty()) {
        std::fprintf(stderr, "%s: %s\n", ZUN_FUZZ_NAME, problem.c_str());
        std::abort();
    }
    return 0;
}
