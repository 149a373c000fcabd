// FM_FixPt_: decimal numbers with a precision (digits after the point, 0 to
// 400, 16 by default). The value is exact; AssignDouble keeps the shortest
// decimal that reads back as the double, rounded to the precision.
#include "lib/guard.h"
#include "lib/objects.h"

using namespace fmhost;
using namespace fmhost::detail;

extern "C" {

FMX_FixPt *FM_FixPt_Constructor1(int32_t value, int32_t precision, FMX_Error *err) {
    return guarded<FMX_FixPt *>(__func__, err, nullptr, [&] {
        if (precision < 0 || precision > FMX_FixPt::kMaxPrecision)
            fail();
        return construct<FMX_FixPt>(Decimal::from_int64(value), precision);
    });
}

void FM_FixPt_Delete(FMX_FixPt *number, FMX_Error *err) {
    guarded(__func__, err, [&] { destroy(number); });
}

void FM_FixPt_AssignInt(FMX_FixPt *number, int32_t value, FMX_Error *err) {
    guarded(__func__, err, [&] { writable(number).value = Decimal::from_int64(value); });
}

void FM_FixPt_AssignDouble(FMX_FixPt *number, double value, FMX_Error *err) {
    guarded(__func__, err, [&] {
        FMX_FixPt &n = writable(number);
        const auto decimal = Decimal::from_double(value);
        if (!decimal)
            fail(); // NaN or an infinity
        n.value = decimal->rounded(n.precision);
    });
}

int32_t FM_FixPt_AsLong(const FMX_FixPt *number, FMX_Error *err) {
    return guarded<int32_t>(__func__, err, 0, [&] { return readable(number).value.to_int32(); });
}

double FM_FixPt_AsFloat(const FMX_FixPt *number, FMX_Error *err) {
    return guarded(__func__, err, 0.0, [&] { return readable(number).value.to_double(); });
}

} // extern "C"
