// The release registry: the host objects that natives create for hosted code,
// deleted at the end of the host call that made them.
//
// Each external function call and idle cycle opens a release scope; an
// object handed out while a scope is open belongs to the innermost one and is
// deleted when that scope ends, so a nested call (a function evaluated inside
// an expression the plug-in evaluates) frees its own objects and none of the
// call around it. An object handed out while no scope is open (during
// start-up, preferences or shutdown, or on a hosted thread between calls)
// waits for the end of the next outermost scope. Scopes open and close under
// the host call lock, so they nest strictly; the lists themselves have a lock
// of their own, because hosted threads may hand out objects at any time.
#pragma once

#include "fmhost/plugin_interface.h"
#include "fmx/calls.h"

#include <cstddef>

namespace fmx {

// Enters a new object in the list of its kind and returns it; from then on
// the registry owns it. If it cannot be entered, it is deleted and the
// failure goes on.
FMX_Text *hand_out(Owned<FMX_Text> text);
FMX_BinaryData *hand_out(Owned<FMX_BinaryData> binary);
FMX_Data *hand_out(Owned<FMX_Data> data);
FMX_CharacterStyle *hand_out(Owned<FMX_CharacterStyle> style);

// One host call's objects. At its end their release pass deletes the Text
// list, then BinaryData, Data and CharacterStyle, each from its newest entry
// to its oldest; the outermost scope also releases the objects handed out
// outside any scope. A delete that the host reports as failed ends the pass
// there; the entries not yet visited wait for the next pass. Nothing is
// thrown: failures go to the native log.
class ReleaseScope {
  public:
    ReleaseScope();
    ~ReleaseScope();
    ReleaseScope(const ReleaseScope &) = delete;
    ReleaseScope &operator=(const ReleaseScope &) = delete;
};

// Releases the objects handed out outside any scope, as the end of a host
// call does; the objects of open scopes stay.
void release_pass() noexcept;

// Objects now registered, open scopes and loose ones together.
std::size_t registered_count() noexcept;

} // namespace fmx
