// The host objects behind the opaque FMX_ types of the plug-in interface.
#ifndef FMHOST_LIB_OBJECTS_H
#define FMHOST_LIB_OBJECTS_H

#include "fmhost/plugin_interface.h"
#include "lib/registry.h"
#include "lib/values.h"

#include <cstdint>
#include <vector>

struct FMX_Color {
    fmhost::Rgba rgba;
};

struct FMX_CharacterStyle {
    fmhost::Style style;
    fmhost::detail::ViewSlot<FMX_Color> colorView;
};

struct FMX_Text {
    fmhost::StyledText text;
};

struct FMX_FixPt {
    static constexpr std::int32_t kDefaultPrecision = 16;
    static constexpr std::int32_t kMaxPrecision = 400;
    fmhost::Decimal value;
    std::int32_t precision = kDefaultPrecision; // digits after the point kept by AssignDouble
};

// Days since the host epoch, and the seconds of the time part: they stay
// within a day when set through SetNormalizedTime1, and hold whatever
// SetSecsSinceMidnight gave (a duration may pass a day).
struct FMX_DateTime {
    std::int32_t days = 0;
    std::int64_t secs = 0;
    std::int32_t micros = 0;
};

// A new QuadChar holds 0 (no characters).
struct FMX_QuadChar {
    std::uint32_t value = 0;
};

struct FMX_BinaryData {
    fmhost::Streams streams;
};

struct FMX_Locale {
    const char *name;
};

// A value and the views its accessors hand out. Each accessor refreshes its
// view and returns the same object every time; a view shows the value as it
// was at that accessor call.
struct FMX_Data {
    fmhost::Value value;
    fmhost::detail::ViewSlot<FMX_Text> textView;
    fmhost::detail::ViewSlot<FMX_FixPt> numberView;
    fmhost::detail::ViewSlot<FMX_DateTime> dateView;
    fmhost::detail::ViewSlot<FMX_DateTime> timeView;
    fmhost::detail::ViewSlot<FMX_DateTime> timestampView;
    fmhost::detail::ViewSlot<FMX_BinaryData> binaryView;
};

struct FMX_ExprEnv {
    std::int32_t kind = 0;
    void *context = nullptr; // the host program's, see set_env_context
};

// Argument values: copies owned by the vector, handed out as views.
struct FMX_DataVect {
    std::vector<fmhost::detail::View<FMX_Data>> items;
};

namespace fmhost::detail {

// The one locale of this host; every value has it.
const FMX_Locale *default_locale();

} // namespace fmhost::detail

#endif
