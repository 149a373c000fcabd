// The host's state while steps run: the solution with its current layout and
// records, the variables and the running scripts. It is the context every
// calculation runs in, the host's own and those a plug-in evaluates.
#pragma once

#include "solution.h"

#include "calc/context.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace fmhost {

class Session : public calc::Context {
public:
    Session(Solution solution, std::string applicationVersion);

    Solution &solution() { return solution_; }
    Table &table() { return solution_.tables[solution_.layout]; }

    // Go to Layout: the layout named after a table; false when there is none.
    bool go_to_layout(std::string_view name);

    // A place in the solution: a table and its record. Environments the host
    // hands to a plug-in carry one (see set_env_context); the pointer stays
    // valid as long as the session.
    struct Position {
        std::size_t table;
        std::size_t record;
    };
    const Position *position();
    // Makes `position` current until the guard ends.
    class Visit {
    public:
        Visit(Session &session, const Position *position);
        ~Visit();
        Visit(const Visit &) = delete;
        Visit &operator=(const Visit &) = delete;

    private:
        Session &session_;
        std::size_t table_ = 0;
        std::size_t layout_ = 0;
        std::size_t record_ = 0;
        bool moved_ = false;
    };

    // Scripts: each running script has its name, parameter and "$"
    // variables; the bottom frame is the top level of fmhost.
    void push_script(std::string name, calc::Value parameter);
    void pop_script();
    std::size_t script_depth() const { return frames_.size() - 1; }

    // Get ( LastError ): the error of the last step.
    void set_last_error(int code) { lastError_ = code; }

    // Evaluates a calculation in the current context.
    calc::Result evaluate(std::string_view text);

    // calc::Context
    std::string currentTable() override;
    calc::Result field(std::string_view table, std::string_view field) override;
    calc::Outcome<calc::Type> fieldType(std::string_view file, std::string_view table, std::string_view field) override;
    calc::Result get(calc::GetName name) override;
    calc::Value variable(std::string_view name) override;
    void setVariable(std::string_view name, const calc::Value &value) override;
    std::optional<calc::ExternalFunction> findExternal(std::string_view name) override;
    calc::Result callExternal(const calc::ExternalFunction &function, const std::vector<calc::Value> &args) override;

private:
    struct Frame {
        std::string script;
        calc::Value parameter;
        std::map<std::string, calc::Value> variables; // folded names
    };

    Solution solution_;
    std::string applicationVersion_;
    std::vector<Frame> frames_;
    std::map<std::string, calc::Value> globals_;
    int lastError_ = 0;
    std::map<std::pair<std::size_t, std::size_t>, std::unique_ptr<Position>> positions_;
};

} // namespace fmhost
