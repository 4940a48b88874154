#include "fluid/cpu/SimdPath.h"

#include <initializer_list>

namespace vornix::cpu {

bool simdPathSupported(SimdPath path)
{
#if defined(__x86_64__) || defined(__i386__)
    switch (path) {
    case SimdPath::Scalar:
    case SimdPath::Sse2:
        return true;
    case SimdPath::Avx2:
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    case SimdPath::Avx512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
               __builtin_cpu_supports("avx512vl");
    }
    return false;
#else
    return path == SimdPath::Scalar;
#endif
}

SimdPath bestSimdPath()
{
    for (SimdPath p : {SimdPath::Avx512, SimdPath::Avx2, SimdPath::Sse2})
        if (simdPathSupported(p))
            return p;
    return SimdPath::Scalar;
}

bool reciprocalDivisionPays()
{
#if defined(__x86_64__) || defined(__i386__)
    // Measured: on an Intel Xeon (model 207) steps at N = 1000 were about 7 % faster through the reciprocal; on an
    // AMD EPYC (Zen 4) a 16-lane dividing stage step takes 10.2 ticks through the reciprocal and 7.7 dividing.
    return !__builtin_cpu_is("amd");
#else
    return false;
#endif
}

const char* simdPathName(SimdPath path)
{
    switch (path) {
    case SimdPath::Scalar: return "scalar";
    case SimdPath::Sse2: return "sse2";
    case SimdPath::Avx2: return "avx2";
    case SimdPath::Avx512: return "avx512";
    }
    return "?";
}

} // namespace vornix::cpu
