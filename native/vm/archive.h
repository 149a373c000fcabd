// The archive of hosted classes appended to the plug-in's own file, and its
// copy in the temp folder that the Java VM loads.
#pragma once

#include <string>

namespace vm {

// Longest archive path kept (a 264-byte area with its terminator) and longest
// module file name.
inline constexpr std::size_t kMaxArchivePath = 263;
inline constexpr std::size_t kMaxModuleFileName = 259;

struct ArchiveState {
    std::string moduleFileName; // full path of the plug-in's file
    std::string archivePath;    // the copy, e.g. <temp>/JDBC.jar
    bool written = false;       // set after a complete copy
};

ArchiveState &archive_state();

// Copies the archive appended to the plug-in's file (named by the instance
// handle of the current host call record) to the temp folder, replacing any
// earlier copy. Returns true when the whole archive was written.
bool write_attached_archive();

// The copy's path for a module file name in a temp folder: the base name
// with its extension replaced by ".jar". Empty when there is none.
std::string archive_path_for(const std::string &moduleFileName, const std::string &tempFolder);

} // namespace vm
