// The Java VM's option list and the marker files that change it. Building
// the list is a pure function so that every combination can be checked
// without creating a VM.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vm {

// The option that carries the log's output hook as its extra information.
inline constexpr char kOutputHookOption[] = "vfprintf";
// Option texts are built in 32-byte areas: at most 31 characters.
inline constexpr std::size_t kMaxHeapOptionLength = 31;
// Longest marker file path, in bytes.
inline constexpr std::size_t kMaxMarkerPath = 255;
// Longest "Common AppData" value read, in UTF-16 units (a 260-unit area).
inline constexpr std::size_t kMaxCommonAppDataUnits = 259;

struct Markers {
    bool debug = false;
    bool profile = false;
    bool headless = false;
    std::optional<std::string> maxHeap; // "-Xmx256m" from "memorysize"
};

struct OptionInputs {
    Markers markers;
    bool headless = false; // the process's headless flag (application type or marker)
    int debugPort = 4410;
    std::string javaLibFolder;             // "<home>/lib"
    std::optional<std::string> tempFolder; // where logging.properties is looked for
    bool extensionFolders = false;         // the runtime still knows java.ext.dirs (1.x)
    bool nativeAccess = false;             // the runtime knows --enable-native-access (17 on)
};

// The options in their fixed order. The profiler turns the debugger off;
// "-Djava.ext.dirs" is passed only to runtimes that still accept it (a
// runtime from version 9 on refuses to start with it); the logging option is
// left out when there is no private temp folder to point it at. Runtimes
// that know it get "--enable-native-access=ALL-UNNAMED" last: the bridge
// binds the plug-in's natives with System.load from the class path, which
// newer runtimes warn about and will refuse without it.
std::vector<std::string> option_texts(const OptionInputs &inputs);

// The maximum heap option for the first line of "memorysize", taken
// verbatim; nullopt for an empty line and for one that would make the
// option longer than kMaxHeapOptionLength.
std::optional<std::string> heap_option(std::string_view firstLine);

// The marker folder: "Common AppData" + "/Vantorel/", or nullopt (logged)
// when the value cannot be read or the marker paths would be too long.
std::optional<std::string> marker_folder();

// Tests the marker files in a folder, in order, with their log lines.
Markers read_markers(const std::string &folder);

// The option that lets code on the class path load native libraries.
inline constexpr char kNativeAccessOption[] = "--enable-native-access=ALL-UNNAMED";

// Whether a runtime of this version (as registered, "1.8" or "17") accepts
// "-Djava.ext.dirs": true for 1.x, false for 9 and later, nullopt when the
// text is no version.
std::optional<bool> accepts_extension_folders(std::string_view version);
// Whether it accepts kNativeAccessOption: true from 17 on, nullopt when the
// text is no version.
std::optional<bool> accepts_native_access(std::string_view version);

} // namespace vm
