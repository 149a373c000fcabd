// --check-leaks: host objects still alive when nothing of the plug-in should
// hold any (after the idle that follows a step, whose release pass has run).
#pragma once

#include <cstdint>
#include <string>

namespace fmhost {

class LeakCheck {
public:
    explicit LeakCheck(bool enabled) : enabled_(enabled) {}

    // Reports, on standard error, the objects made since the last check that
    // are still alive; each leak is reported once.
    void check(const std::string &after);
    bool found() const { return found_; }

private:
    bool enabled_;
    bool found_ = false;
    std::uint64_t checked_ = 0; // serial of the newest object already looked at
};

} // namespace fmhost
