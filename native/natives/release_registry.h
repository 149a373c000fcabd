// The release registry: the host objects that natives create for hosted code,
// deleted together at the end of each external function call and idle cycle.
//
// Four process-wide lists, one per kind, without a lock: the natives and the
// pass run on the host's calling thread (or a hosted thread it waits for).
#pragma once

#include "fmhost/plugin_interface.h"
#include "natives/host_calls.h"

#include <cstddef>

namespace natives {

// Enters a new object in the list of its kind and returns it; from then on
// the registry owns it. If it cannot be entered, it is deleted and the
// failure goes on.
FMX_Text *hand_out(host::Owned<FMX_Text> text);
FMX_BinaryData *hand_out(host::Owned<FMX_BinaryData> binary);
FMX_Data *hand_out(host::Owned<FMX_Data> data);
FMX_CharacterStyle *hand_out(host::Owned<FMX_CharacterStyle> style);

// Deletes every registered object: the Text list, then BinaryData, Data and
// CharacterStyle, each from its newest entry to its oldest. An entry leaves
// its list before its delete is called; a delete that the host reports as
// failed ends the pass there, and the entries not yet visited wait for the
// next pass. Nothing is thrown: the failure goes to the native log.
void release_pass() noexcept;

// Objects now registered, all kinds together.
std::size_t registered_count() noexcept;

} // namespace natives
