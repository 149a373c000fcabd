#include "leaks.h"

#include "fmhost/host_control.h"

#include <cstdio>

namespace fmhost {

void LeakCheck::check(const std::string &after) {
    if (!enabled_)
        return;
    const auto leaked = live_objects_since(checked_);
    checked_ = last_serial();
    if (leaked.empty())
        return;
    found_ = true;
    std::fprintf(stderr, "fmhost: host objects left alive after %s: %s\n", after.c_str(),
                 describe_live(leaked).c_str());
}

} // namespace fmhost
