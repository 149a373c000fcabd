// FM_QuadChar_: four-character codes held as one 32-bit value, the first
// character in the most significant byte. A new QuadChar holds 0.
#include "lib/guard.h"
#include "lib/objects.h"

using namespace fmhost;
using namespace fmhost::detail;

extern "C" {

FMX_QuadChar *FM_QuadChar_Constructor1(FMX_Error *err) {
    return guarded<FMX_QuadChar *>(__func__, err, nullptr, [] { return construct<FMX_QuadChar>(); });
}

FMX_QuadChar *FM_QuadChar_Constructor2(char c0, char c1, char c2, char c3, FMX_Error *err) {
    return guarded<FMX_QuadChar *>(__func__, err, nullptr, [&] {
        auto byte = [](char c) { return static_cast<std::uint32_t>(static_cast<unsigned char>(c)); };
        return construct<FMX_QuadChar>(byte(c0) << 24 | byte(c1) << 16 | byte(c2) << 8 | byte(c3));
    });
}

void FM_QuadChar_Delete(FMX_QuadChar *quad, FMX_Error *err) {
    guarded(__func__, err, [&] { destroy(quad); });
}

void FM_QuadChar_SetMacType(FMX_QuadChar *quad, uint32_t type, FMX_Error *err) {
    guarded(__func__, err, [&] { writable(quad).value = type; });
}

uint32_t FM_QuadChar_GetMacType(const FMX_QuadChar *quad, FMX_Error *err) {
    return guarded<uint32_t>(__func__, err, 0, [&] { return readable(quad).value; });
}

} // extern "C"
