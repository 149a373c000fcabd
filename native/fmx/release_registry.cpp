#include "fmx/release_registry.h"

#include "log/log.h"

#include <mutex>
#include <vector>

namespace fmx {
namespace {

// The objects of one scope, a list per kind in the order they were made.
struct Objects {
    std::vector<FMX_Text *> texts;
    std::vector<FMX_BinaryData *> binaries;
    std::vector<FMX_Data *> data;
    std::vector<FMX_CharacterStyle *> styles;

    std::vector<FMX_Text *> &list(FMX_Text *) { return texts; }
    std::vector<FMX_BinaryData *> &list(FMX_BinaryData *) { return binaries; }
    std::vector<FMX_Data *> &list(FMX_Data *) { return data; }
    std::vector<FMX_CharacterStyle *> &list(FMX_CharacterStyle *) { return styles; }

    std::size_t size() const { return texts.size() + binaries.size() + data.size() + styles.size(); }
    // Appends other's entries after this one's, kind by kind.
    void append(Objects &&other) {
        texts.insert(texts.end(), other.texts.begin(), other.texts.end());
        binaries.insert(binaries.end(), other.binaries.begin(), other.binaries.end());
        data.insert(data.end(), other.data.begin(), other.data.end());
        styles.insert(styles.end(), other.styles.begin(), other.styles.end());
    }
};

struct Registry {
    std::mutex mutex;
    std::vector<Objects> scopes; // innermost last
    Objects loose;               // handed out while no scope was open
};

// Never destroyed: a pass may still run while the process ends.
Registry &registry() {
    static auto *instance = new Registry;
    return *instance;
}

template <class T> T *enter(Owned<T> object) {
    auto &reg = registry();
    {
        const std::lock_guard lock(reg.mutex);
        Objects &target = reg.scopes.empty() ? reg.loose : reg.scopes.back();
        target.list(object.get()).push_back(object.get()); // may throw; the owner then deletes it
    }
    return object.release();
}

// Deletes one list, newest first. False when a delete failed; the entries
// not yet visited are then left in the list.
template <class T> bool delete_list(std::vector<T *> &list) noexcept {
    while (!list.empty()) {
        T *object = list.back();
        list.pop_back();
        FMX_Error error{1, FMX_ERR_NONE};
        Kind<T>::remove(object, &error);
        if (is_failure(error)) {
            report_delete_failure(Kind<T>::kDelete, error.code);
            return false;
        }
    }
    return true;
}

// Deletes the objects outside the registry's lock (the host's delete
// functions are not ours to call under it); what a failed delete left over
// goes back to the loose objects for the next pass.
void delete_objects(Objects objects) noexcept {
    const bool done = delete_list(objects.texts) && delete_list(objects.binaries) && delete_list(objects.data) &&
                      delete_list(objects.styles);
    if (done)
        return;
    try {
        auto &reg = registry();
        const std::lock_guard lock(reg.mutex);
        objects.append(std::move(reg.loose));
        reg.loose = std::move(objects);
        vlog::log("*** Release pass stopped; %u host objects wait for the next pass\n",
                  static_cast<unsigned>(reg.loose.size()));
    } catch (...) {
        // Out of memory: the objects left over cannot be kept track of.
    }
}

} // namespace

FMX_Text *hand_out(Owned<FMX_Text> text) { return enter(std::move(text)); }
FMX_BinaryData *hand_out(Owned<FMX_BinaryData> binary) { return enter(std::move(binary)); }
FMX_Data *hand_out(Owned<FMX_Data> data) { return enter(std::move(data)); }
FMX_CharacterStyle *hand_out(Owned<FMX_CharacterStyle> style) { return enter(std::move(style)); }

ReleaseScope::ReleaseScope() {
    auto &reg = registry();
    const std::lock_guard lock(reg.mutex);
    reg.scopes.emplace_back();
}

ReleaseScope::~ReleaseScope() {
    Objects ending, loose;
    {
        auto &reg = registry();
        const std::lock_guard lock(reg.mutex);
        ending = std::move(reg.scopes.back());
        reg.scopes.pop_back();
        if (reg.scopes.empty())
            std::swap(loose, reg.loose);
    }
    // The scope's own objects first: they are the newer ones.
    delete_objects(std::move(ending));
    delete_objects(std::move(loose));
}

void release_pass() noexcept {
    Objects loose;
    {
        auto &reg = registry();
        const std::lock_guard lock(reg.mutex);
        std::swap(loose, reg.loose);
    }
    delete_objects(std::move(loose));
}

std::size_t registered_count() noexcept {
    auto &reg = registry();
    const std::lock_guard lock(reg.mutex);
    std::size_t count = reg.loose.size();
    for (const Objects &scope : reg.scopes)
        count += scope.size();
    return count;
}

} // namespace fmx
