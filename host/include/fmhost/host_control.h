// The stand-in host's own controls: what the host program and the tests use
// around the plug-in interface. Plug-ins never include this header.
#ifndef FMHOST_HOST_CONTROL_H
#define FMHOST_HOST_CONTROL_H

#include "fmhost/plugin_interface.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace fmhost {

// ---- Live objects ----------------------------------------------------------
// Every object made by a Constructor is counted until its Delete, so that a
// test can assert that whatever a plug-in created was deleted again.

enum class Kind { Data, Text, CharacterStyle, Color, BinaryData, DateTime, FixPt, QuadChar, ExprEnv, DataVect };
inline constexpr std::size_t kKindCount = 10;

const char *kind_name(Kind kind);

struct LiveObject {
    Kind kind;
    const void *address;
    std::uint64_t serial; // creation order, from 1
};

std::size_t live_count(Kind kind);
std::size_t live_total();
std::vector<LiveObject> live_objects();               // oldest first
std::vector<LiveObject> live_objects_since(std::uint64_t serial);
std::uint64_t last_serial();                          // serial of the newest object made so far
std::string describe_live(const std::vector<LiveObject> &objects); // "Text@0x.. #12, ..."

// ---- Failure injection -----------------------------------------------------
// The next call of the named FM_ function (e.g. "FM_Text_Delete") fails with
// the given error code after `skip` further successful calls. Cleared once it
// fired, or by clear_failures().
void inject_failure(const std::string &function, std::int32_t code, unsigned skip = 0);
void clear_failures();

// ---- Registered functions --------------------------------------------------

struct RegisteredFunction {
    std::uint32_t pluginId;  // four characters, first most significant
    std::int16_t id;
    std::u16string name;
    std::u16string prototype;
    std::int16_t minArgs;
    std::int16_t maxArgs;    // -1: any number
    std::uint32_t flags;
    FMX_FunctionCallback callback;
};

const std::vector<RegisteredFunction> &registered_functions();
const RegisteredFunction *find_function(std::u16string_view name); // letter case ignored
void clear_registered_functions();

// ---- Evaluation ------------------------------------------------------------
// FM_ExprEnv_Evaluate hands its work to this hook; the host program installs
// its calculation engine here. Without a hook, evaluation fails with 1200.
using Evaluator = std::function<std::int16_t(const FMX_ExprEnv *env, std::u16string_view expression,
                                             FMX_Data *result)>;
void set_evaluator(Evaluator evaluator);

// Host-side context carried by an environment (the current file, table and
// record); opaque to the host library, owned by whoever sets it.
void set_env_context(FMX_ExprEnv *env, void *context);
void *env_context(const FMX_ExprEnv *env);

// ---- Argument vectors --------------------------------------------------------
// Vectors of argument values, built by the host to call registered functions.
FMX_DataVect *datavect_new();
void datavect_push(FMX_DataVect *vect, const FMX_Data *value); // copies the value
void datavect_delete(FMX_DataVect *vect);

} // namespace fmhost

#endif
