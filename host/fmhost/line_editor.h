// The console's line editor (libedit): arrow keys and the usual editing
// keys on the line, earlier lines recalled with the up arrow, and the
// history kept in ~/.fmhost_history between runs.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace fmhost {

class LineEditor {
public:
    // Reads from `in` and echoes to `out`, both the terminal; loads the
    // history file, if there is one.
    LineEditor(std::FILE *in, std::FILE *out);
    ~LineEditor();
    LineEditor(const LineEditor &) = delete;
    LineEditor &operator=(const LineEditor &) = delete;

    // The next line without its line end; nothing at the end of input.
    std::optional<std::string> read(const std::string &prompt);
    // Adds a line to the history (not blank lines, not the previous line
    // again) and saves the history file.
    void remember(const std::string &line);

private:
    std::string historyFile_; // empty without a home folder
    std::string last_;
};

} // namespace fmhost
