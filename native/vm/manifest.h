// Reads the plug-in's texts from the manifest of the copied archive, without
// a Java VM.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vm {

// Work areas of the reader: longer texts are cut to these sizes.
inline constexpr std::size_t kManifestBytes = 8192;
inline constexpr std::size_t kMaxKeyUnits = 63;
inline constexpr std::size_t kMaxValueUnits = 255;

struct ManifestTexts {
    std::optional<std::u16string> name;    // plugin-name
    std::optional<std::u16string> options; // plugin-options
    std::optional<std::u16string> help;    // plugin-help
    std::optional<std::u16string> version; // plugin-version
};

// The text of "META-INF/MANIFEST.MF" (name compared without letter case), at
// most kManifestBytes of it; empty when the archive or entry cannot be read.
std::string read_manifest_text(const std::string &archivePath);

// Parses manifest lines (key ":" value, continuation lines starting with a
// blank). Keys other than the known ones go to `unknownKey`.
ManifestTexts parse_manifest(std::string_view text, const std::function<void(const std::string &key)> &unknownKey);

// Both of the above; unknown keys are reported on standard output.
ManifestTexts read_manifest(const std::string &archivePath);

} // namespace vm
