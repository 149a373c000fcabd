#include "console.h"

#include "line_editor.h"

#include "calc/utf8.h"

#include <string>
#include <unistd.h>

namespace fmhost {

namespace {

// One line of any length, without its line end; false at the end of input.
bool read_line(std::FILE *in, std::string &line) {
    line.clear();
    int c;
    while ((c = std::fgetc(in)) != EOF && c != '\n')
        line += static_cast<char>(c);
    if (c == EOF && line.empty())
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

} // namespace

bool is_terminal(std::FILE *stream) { return isatty(fileno(stream)) != 0; }

void run_stream(std::FILE *in, Runner &runner) {
    std::string line;
    while (read_line(in, line))
        runner.run_line(line);
}

void run_console(std::FILE *in, Output &output, Runner &runner) {
    std::FILE *terminal = output.stream();
    LineEditor editor(in, terminal);
    std::fprintf(terminal, "fmhost console: type a calculation or a script step; the up arrow recalls earlier "
                           "lines; Ctrl-D ends.\n");
    const std::string prompt = "fmhost> ";
    while (const auto line = editor.read(prompt)) {
        editor.remember(*line);
        const std::string blanks = line->substr(0, line->find_first_not_of(" \t"));
        output.set_caret_origin(calc::utf8::columns(prompt) + calc::utf8::columns(blanks));
        runner.run_line(*line);
    }
    output.set_caret_origin(std::nullopt);
    std::fputc('\n', terminal);
    std::fflush(terminal);
}

} // namespace fmhost
