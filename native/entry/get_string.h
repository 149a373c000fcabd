// String requests: the plug-in's name, description and options, answered
// from the archive's manifest without a Java VM.
#pragma once

#include "fmhost/plugin_interface.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace entry {

// Size of the work area of the description text, terminator included.
inline constexpr std::size_t kDescriptionUnits = 400;

// The answer to a string id; absent for ids without one.
std::optional<std::u16string> string_answer(std::uint8_t id);

// Copies an answer with wcsncpy semantics: at most `capacity` units, zero
// units after a shorter answer, no terminator after a cut one.
void copy_answer(std::u16string_view answer, FMX_Unichar *buffer, std::uint32_t capacity);

void handle_get_string(HostCallRecord &record);

} // namespace entry
