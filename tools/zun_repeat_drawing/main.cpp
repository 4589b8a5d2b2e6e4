// zun-repeat-drawing: writes a large drawing made of a sample's parts
// repeated, for trying the host and zun-render on drawings of thousands of
// parts without keeping such files in the repository.
#include "contracts/data/zun_files.h"
#include "host/zun_drawing_repeat.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4) {
        std::fputs("Usage: zun-repeat-drawing COUNT OUT.json [SAMPLE.json]\n"
                   "Writes a drawing of COUNT parts, the sample's parts repeated in order\n"
                   "(default sample: the bundled sample drawing).\n",
                   stderr);
        return 2;
    }
    char* end = nullptr;
    const long count = std::strtol(argv[1], &end, 10);
    if (*end != '\0' || count <= 0 || count > 10'000'000) {
        std::fprintf(stderr, "zun-repeat-drawing: bad part count '%s'\n", argv[1]);
        return 2;
    }
    const CZunString sample =
        argc == 4 ? CZunString::fromUtf8(argv[3]) : ZUN::fileFind(L"samples/sample_drawing.json");
    if (sample.isEmpty()) {
        std::fputs("zun-repeat-drawing: the sample drawing samples/sample_drawing.json is not installed\n", stderr);
        return 1;
    }
    CZunString error;
    if (!zunRepeatDrawingFile(sample, static_cast<int>(count), CZunString::fromUtf8(argv[2]), &error)) {
        std::fprintf(stderr, "zun-repeat-drawing: %s\n", error.toUtf8().c_str());
        return 1;
    }
    std::printf("%s\n", argv[2]);
    return 0;
}
