// The installed Java runtime: found through the registry, its folders put on
// PATH, its VM library loaded; and the one Java VM of the process, created
// with the option list of options.h.
#pragma once

#include "platform/platform.h"

#include <jni.h>

#include <string>
#include <string_view>

namespace vm {

// The JNI version asked for everywhere.
inline constexpr jint kJniVersion = JNI_VERSION_1_4;
// Where the user messages send the user for a Java runtime.
inline constexpr char16_t kDownloadSite[] = u"https://adoptium.net/";

struct RuntimeState {
    platform::ModuleHandle library = nullptr; // the VM library, once found
    std::string javaLibFolder;                // "<home>/lib"
    bool extensionFolders = false;            // the runtime accepts "-Djava.ext.dirs" (1.x)
    bool nativeAccess = false;                // the runtime accepts "--enable-native-access" (17 on)
    bool pathExtended = false;                // PATH has the runtime's folders already
    JavaVM *vm = nullptr;                     // the process's VM, once created or found
};

RuntimeState &runtime_state();

// The user message for a runtime error: 1 for a VM that could not be
// created, 2 to 8 for the discovery steps.
std::u16string runtime_error_message(int number);

// PATH with the runtime's folders appended: the old value, a separator
// unless it already ends with one (or is empty: an empty entry would name
// the current folder), the bin folder, a separator and the VM library's
// folder.
std::string extended_path(std::string_view oldPath, std::string_view binFolder, std::string_view libraryFolder);

// Finds the runtime through the registry, extends PATH (once per process:
// VM threads may read the environment while a later init runs) and loads the
// VM library. On failure sets the process's JVM error text (logged) and
// returns false.
bool discover_runtime();

// Creates the VM with the marker files and option list (all logged). On
// failure sets the JVM error text to the "(error 1)" message and returns
// false.
bool create_vm();

} // namespace vm
