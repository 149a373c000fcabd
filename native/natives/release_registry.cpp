#include "natives/release_registry.h"

#include "log/log.h"

#include <vector>

namespace natives {
namespace {

template <class T> std::vector<T *> &entries() {
    static std::vector<T *> list;
    return list;
}

template <class T> T *enter(host::Owned<T> object) {
    entries<T>().push_back(object.get()); // may throw; the owner then deletes it
    return object.release();
}

// Empties one list, newest first. False when a delete failed.
template <class T> bool empty_list() noexcept {
    auto &list = entries<T>();
    while (!list.empty()) {
        T *object = list.back();
        list.pop_back();
        FMX_Error error{1, FMX_ERR_NONE};
        host::Kind<T>::remove(object, &error);
        if (host::is_failure(error)) {
            host::report_delete_failure(host::Kind<T>::kDelete, error.code);
            return false;
        }
    }
    return true;
}

} // namespace

FMX_Text *hand_out(host::Owned<FMX_Text> text) { return enter(std::move(text)); }
FMX_BinaryData *hand_out(host::Owned<FMX_BinaryData> binary) { return enter(std::move(binary)); }
FMX_Data *hand_out(host::Owned<FMX_Data> data) { return enter(std::move(data)); }
FMX_CharacterStyle *hand_out(host::Owned<FMX_CharacterStyle> style) { return enter(std::move(style)); }

void release_pass() noexcept {
    const bool done = empty_list<FMX_Text>() && empty_list<FMX_BinaryData>() && empty_list<FMX_Data>() &&
                      empty_list<FMX_CharacterStyle>();
    if (done)
        return;
    try {
        vlog::log("*** Release pass stopped; %u host objects wait for the next pass\n",
                  static_cast<unsigned>(registered_count()));
    } catch (...) {
        // Out of memory while logging: the objects stay registered all the same.
    }
}

std::size_t registered_count() noexcept {
    return entries<FMX_Text>().size() + entries<FMX_BinaryData>().size() + entries<FMX_Data>().size() +
           entries<FMX_CharacterStyle>().size();
}

} // namespace natives
