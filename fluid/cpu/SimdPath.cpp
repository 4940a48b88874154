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
