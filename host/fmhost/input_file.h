// The files fmhost is given to read (the solution, a script), read whole, or
// the reason they cannot be.
#pragma once

#include <stdexcept>
#include <string>

namespace fmhost {

// "PATH: is a folder", "PATH: permission denied", "PATH: no such file", or
// the system's words for another failure.
struct InputFileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The bytes of the file at `path`; throws InputFileError.
std::string read_input_file(const std::string &path);

} // namespace fmhost
