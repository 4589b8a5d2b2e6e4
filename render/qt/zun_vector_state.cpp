#include "render/qt/zun_vector_state.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))

#include <immintrin.h>

namespace {

// Built for AVX on its own, so that the rest of the program keeps running
// on processors without it; only called where the processor has it.
__attribute__((target("avx"))) void clearUpperHalves()
{
    _mm256_zeroupper();
}

bool processorHasAvx()
{
    static const bool avx = __builtin_cpu_supports("avx");
    return avx;
}

} // namespace

void zunSettleVectorState()
{
    if (processorHasAvx())
        clearUpperHalves();
}

#else

void zunSettleVectorState() {}

#endif
