// Expansion of SCSU (the Standard Compression Scheme for Unicode), the form
// in which containers store file names.
#ifndef FMHOST_LIB_SCSU_H
#define FMHOST_LIB_SCSU_H

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace fmhost {

// The UTF-16 text of SCSU bytes, starting from the initial window state;
// nothing for a reserved tag or bytes that end inside a tag's arguments.
std::optional<std::u16string> scsu_expand(std::span<const std::uint8_t> bytes);

} // namespace fmhost

#endif
