// The built-in registry used when VNT_REGISTRY names no file: this machine's
// Java runtime and folders, described in the keys and values the plug-in
// reads on Windows.
#pragma once

#include "platform/posix/registry_file.h"

#include <optional>
#include <string>
#include <string_view>

namespace platform::registry {

struct JavaRuntime {
    std::string home;       // without a trailing '/'
    std::string version;    // the release file's JAVA_VERSION; empty if unknown
    std::string runtimeLib; // full path of libjvm.so; empty if none was found
};

// The version under which the runtime is registered: the major number
// ("17.0.15" -> "17"), or "1.x" for the old numbering ("1.8.0_292" -> "1.8").
std::string version_key(std::string_view javaVersion);

// Describes the runtime in a home folder; nullopt when it is no folder.
std::optional<JavaRuntime> describe_java_home(const std::string &home);

// The system's runtime under jvmRoot (normally /usr/lib/jvm): default-java
// resolved, else the newest runtime there that has a libjvm.so.
std::optional<JavaRuntime> find_system_java(const std::string &jvmRoot);

// The registry built from JAVA_HOME (else the system's runtime), HOME and
// XDG_DOCUMENTS_DIR as they are now.
Registry default_registry();

} // namespace platform::registry
