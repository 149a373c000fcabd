// FM_FixPt_: decimal numbers with a precision (digits after the point, 0 to
// 400, 16 by default). The value is exact; AssignDouble keeps the shortest
// decimal that reads back as the double, rounded to the precision, and
// Divide rounds to the result's precision. Add, Subtract and Multiply are
// exact.
#include "lib/guard.h"
#include "lib/objects.h"

using namespace fmhost;
using namespace fmhost::detail;

namespace {

void check_precision(std::int32_t precision) {
    if (precision < 0 || precision > FMX_FixPt::kMaxPrecision)
        fail();
}

// Stores an operation's result; none (out of range, division by zero) fails.
void store(FMX_FixPt *result, const std::optional<Decimal> &value) {
    FMX_FixPt &target = writable(result);
    if (!value)
        fail();
    target.value = *value;
}

} // namespace

extern "C" {

FMX_FixPt *FM_FixPt_Constructor1(int32_t value, int32_t precision, FMX_Error *err) {
    return guarded<FMX_FixPt *>(__func__, err, nullptr, [&] {
        check_precision(precision);
        return construct<FMX_FixPt>(Decimal::from_int64(value), precision);
    });
}

void FM_FixPt_Delete(FMX_FixPt *number, FMX_Error *err) {
    guarded(__func__, err, [&] { destroy(number); });
}

void FM_FixPt_AssignInt(FMX_FixPt *number, int32_t value, FMX_Error *err) {
    guarded(__func__, err, [&] { writable(number).value = Decimal::from_int64(value); });
}

void FM_FixPt_AssignInt64(FMX_FixPt *number, int64_t value, FMX_Error *err) {
    guarded(__func__, err, [&] { writable(number).value = Decimal::from_int64(value); });
}

void FM_FixPt_AssignFixPt(FMX_FixPt *number, const FMX_FixPt *source, FMX_Error *err) {
    guarded(__func__, err, [&] {
        const Decimal value = readable(source).value;
        writable(number).value = value;
    });
}

int32_t FM_FixPt_GetPrecision(const FMX_FixPt *number, FMX_Error *err) {
    return guarded<int32_t>(__func__, err, 0, [&] { return readable(number).precision; });
}

void FM_FixPt_SetPrecision(FMX_FixPt *number, int32_t precision, FMX_Error *err) {
    guarded(__func__, err, [&] {
        FMX_FixPt &n = writable(number);
        check_precision(precision);
        n.precision = precision;
    });
}

void FM_FixPt_Negate(FMX_FixPt *number, FMX_Error *err) {
    guarded(__func__, err, [&] {
        FMX_FixPt &n = writable(number);
        n.value = n.value.negated();
    });
}

void FM_FixPt_Add(const FMX_FixPt *a, const FMX_FixPt *b, FMX_FixPt *result, FMX_Error *err) {
    guarded(__func__, err, [&] { store(result, readable(a).value.plus(readable(b).value)); });
}

void FM_FixPt_Subtract(const FMX_FixPt *a, const FMX_FixPt *b, FMX_FixPt *result, FMX_Error *err) {
    guarded(__func__, err, [&] { store(result, readable(a).value.minus(readable(b).value)); });
}

void FM_FixPt_Multiply(const FMX_FixPt *a, const FMX_FixPt *b, FMX_FixPt *result, FMX_Error *err) {
    guarded(__func__, err, [&] { store(result, readable(a).value.times(readable(b).value)); });
}

void FM_FixPt_Divide(const FMX_FixPt *a, const FMX_FixPt *b, FMX_FixPt *result, FMX_Error *err) {
    guarded(__func__, err, [&] {
        const std::int32_t precision = readable(result).precision;
        store(result, readable(a).value.divided(readable(b).value, precision));
    });
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

int64_t FM_FixPt_AsLong64(const FMX_FixPt *number, FMX_Error *err) {
    return guarded<int64_t>(__func__, err, 0, [&] { return readable(number).value.to_int64(); });
}

double FM_FixPt_AsFloat(const FMX_FixPt *number, FMX_Error *err) {
    return guarded(__func__, err, 0.0, [&] { return readable(number).value.to_double(); });
}

} // extern "C"
