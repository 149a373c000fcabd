#include "line_editor.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <langinfo.h>
#include <memory>

#include <editline/readline.h>

namespace fmhost {

namespace {

constexpr int kHistoryLines = 1000;

// Steps are UTF-8; the editor reads and shows them as characters only in a
// UTF-8 character locale. Only the character classes change: numbers and
// messages are written the same in every locale.
void use_utf8_characters() {
    if (std::setlocale(LC_CTYPE, "") && std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0)
        return;
    std::setlocale(LC_CTYPE, "C.UTF-8");
}

struct FreeDeleter {
    void operator()(char *line) const noexcept { std::free(line); }
};

} // namespace

LineEditor::LineEditor(std::FILE *in, std::FILE *out) {
    use_utf8_characters();
    rl_instream = in;
    rl_outstream = out;
    rl_readline_name = "fmhost";
    rl_initialize();
    // Tab inserts itself instead of completing file names.
    rl_bind_key('\t', rl_insert);
    using_history();
    stifle_history(kHistoryLines);
    if (const char *home = std::getenv("HOME"); home && *home) {
        historyFile_ = std::string(home) + "/.fmhost_history";
        read_history(historyFile_.c_str());
    }
}

LineEditor::~LineEditor() { clear_history(); }

std::optional<std::string> LineEditor::read(const std::string &prompt) {
    const std::unique_ptr<char, FreeDeleter> line(readline(prompt.c_str()));
    if (!line)
        return std::nullopt;
    std::string text(line.get());
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    return text;
}

void LineEditor::remember(const std::string &line) {
    if (line.find_first_not_of(" \t") == std::string::npos || line == last_)
        return;
    last_ = line;
    add_history(line.c_str());
    if (!historyFile_.empty())
        write_history(historyFile_.c_str());
}

} // namespace fmhost
