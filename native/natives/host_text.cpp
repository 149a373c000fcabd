#include "natives/host_text.h"

#include "fmx/calls.h"
#include "log/log.h"
#include "natives/java_boundary.h"

#include <limits>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

namespace natives {

static_assert(std::is_same_v<jchar, FMX_Unichar>, "Java characters and host units are both UTF-16 units");

void assign_java_string(JNIEnv *env, FMX_Text *text, jstring string) {
    const jsize length = string ? env->GetStringLength(string) : 0;
    std::vector<jchar> chars(static_cast<std::size_t>(length) + 1, 0); // zero-terminated
    if (length > 0) {
        env->GetStringRegion(string, 0, length, chars.data());
        check_java(env);
    }
    fmx::call("FM_Text_AssignUnicode", FM_Text_AssignUnicode, text, chars.data());
}

jstring java_string_of(JNIEnv *env, const FMX_Text *text) {
    const std::uint32_t size = fmx::call("FM_Text_GetSize", FM_Text_GetSize, text);
    std::unique_ptr<jchar[]> buffer;
    if (size <= static_cast<std::uint32_t>(std::numeric_limits<jsize>::max()))
        buffer.reset(new (std::nothrow) jchar[size == 0 ? 1 : size]);
    if (!buffer) {
        vlog::log("Out of memory trying to get text data from FileMaker of size %u\n", size);
        const jstring error = env->NewStringUTF("ERROR out of memory");
        check_java(env);
        return error;
    }
    if (size > 0)
        fmx::call("FM_Text_GetUnicode", FM_Text_GetUnicode, text, buffer.get(), std::uint32_t{0}, size);
    const jstring string = env->NewString(buffer.get(), static_cast<jsize>(size));
    check_java(env);
    return string;
}

} // namespace natives
