// Between the calculation engine and the host's plug-in interface: values
// both ways, and calls of the functions a plug-in registered.
//
// Values keep their type and content. A host container becomes a calculation
// container with its file name (or reference text) and the bytes of its best
// stream (TIFF, PDF, PICT, GIF, PNG, FILE, JPEG, else the first stream that is
// no file name or resource fork); a calculation container with bytes becomes
// a host container of one data stream (typed by the name's extension: JPEG,
// GIFf, PNGf, else FILE) and an FNAM stream, one without bytes a reference.
#ifndef FMHOST_LIB_CALC_BRIDGE_H
#define FMHOST_LIB_CALC_BRIDGE_H

#include "calc/context.h"
#include "calc/value.h"
#include "fmhost/host_control.h"
#include "lib/values.h"

#include <optional>
#include <string_view>
#include <vector>

namespace fmhost {

calc::Value calc_value(const Value &value);
Value host_value(const calc::Value &value);

// The registered function of that name (letter case ignored) as the
// calculation engine sees it; its id finds it again in call_registered.
std::optional<calc::ExternalFunction> find_registered(std::string_view name);

// Calls a registered function the way the host does: its callback gets the
// function id, a new environment carrying `envContext` (see set_env_context),
// a DataVect of the arguments and an empty result. Too few or too many
// arguments are errors 1201 and 1202, a function no longer registered 1208,
// and a non-zero code from the callback is an error with that code. Every
// host object made for the call is deleted before it returns.
calc::Result call_registered(const calc::ExternalFunction &function, const std::vector<calc::Value> &args,
                             void *envContext);

} // namespace fmhost

#endif
