// The live-object registry and failure injection.
#include "fmhost/host_control.h"
#include "lib/guard.h"
#include "lib/registry.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace fmhost {

namespace {

struct Entry {
    Kind kind;
    std::uint64_t serial; // 0 for views
    bool view;
};

class Registry {
public:
    void add(Kind kind, const void *address, bool view) {
        std::lock_guard lock(mutex_);
        // A stale entry at a reused address would skew the counts.
        if (const auto it = entries_.find(address); it != entries_.end())
            erase(it);
        const std::uint64_t serial = view ? 0 : nextSerial_ + 1;
        entries_.emplace(address, Entry{kind, serial, view});
        if (!view) {
            nextSerial_ = serial;
            ++counts_[static_cast<std::size_t>(kind)];
        }
    }

    void remove(const void *address) {
        std::lock_guard lock(mutex_);
        const auto it = entries_.find(address);
        if (it != entries_.end())
            erase(it);
    }

    bool remove_owned(Kind kind, const void *address) {
        std::lock_guard lock(mutex_);
        const auto it = entries_.find(address);
        if (it == entries_.end() || it->second.kind != kind || it->second.view)
            return false;
        erase(it);
        return true;
    }

    bool contains(Kind kind, const void *address, bool allowView) const {
        if (!address)
            return false;
        std::lock_guard lock(mutex_);
        const auto it = entries_.find(address);
        return it != entries_.end() && it->second.kind == kind && (allowView || !it->second.view);
    }

    std::size_t count(Kind kind) const {
        std::lock_guard lock(mutex_);
        return counts_[static_cast<std::size_t>(kind)];
    }

    std::size_t total() const {
        std::lock_guard lock(mutex_);
        std::size_t sum = 0;
        for (const std::size_t n : counts_)
            sum += n;
        return sum;
    }

    std::vector<LiveObject> owned_since(std::uint64_t serial) const {
        std::vector<LiveObject> objects;
        {
            std::lock_guard lock(mutex_);
            for (const auto &[address, entry] : entries_)
                if (!entry.view && entry.serial > serial)
                    objects.push_back(LiveObject{entry.kind, address, entry.serial});
        }
        std::sort(objects.begin(), objects.end(),
                  [](const LiveObject &a, const LiveObject &b) { return a.serial < b.serial; });
        return objects;
    }

    std::uint64_t last_serial() const {
        std::lock_guard lock(mutex_);
        return nextSerial_;
    }

private:
    void erase(std::unordered_map<const void *, Entry>::iterator it) {
        if (!it->second.view)
            --counts_[static_cast<std::size_t>(it->second.kind)];
        entries_.erase(it);
    }

    mutable std::mutex mutex_;
    std::unordered_map<const void *, Entry> entries_;
    std::array<std::size_t, kKindCount> counts_{};
    std::uint64_t nextSerial_ = 0;
};

// Objects may be deleted while the process ends, so the registry is never
// destroyed.
Registry &registry() {
    static Registry *instance = new Registry;
    return *instance;
}

struct Injection {
    std::int32_t code;
    unsigned skip;
};

class Injections {
public:
    void arm(const std::string &function, std::int32_t code, unsigned skip) {
        std::lock_guard lock(mutex_);
        armed_.insert_or_assign(function, Injection{code, skip});
        any_ = true;
    }

    void clear() {
        std::lock_guard lock(mutex_);
        armed_.clear();
        any_ = false;
    }

    std::optional<std::int32_t> take(const char *function) {
        // Every FM_ call asks: without a failure armed, no lock is taken.
        if (!any_.load(std::memory_order_acquire))
            return std::nullopt;
        std::lock_guard lock(mutex_);
        if (armed_.empty())
            return std::nullopt;
        const auto it = armed_.find(function);
        if (it == armed_.end())
            return std::nullopt;
        if (it->second.skip > 0) {
            --it->second.skip;
            return std::nullopt;
        }
        const std::int32_t code = it->second.code;
        armed_.erase(it);
        any_ = !armed_.empty();
        return code;
    }

private:
    std::mutex mutex_;
    std::atomic<bool> any_{false};
    std::map<std::string, Injection, std::less<>> armed_;
};

Injections &injections() {
    static Injections *instance = new Injections;
    return *instance;
}

} // namespace

namespace detail {

void register_owned(Kind kind, const void *address) { registry().add(kind, address, false); }
void register_view(Kind kind, const void *address) { registry().add(kind, address, true); }
void unregister(const void *address) { registry().remove(address); }
bool unregister_owned(Kind kind, const void *address) { return registry().remove_owned(kind, address); }
bool is_live(Kind kind, const void *address, bool allowView) { return registry().contains(kind, address, allowView); }

std::optional<std::int32_t> take_injected_failure(const char *function) { return injections().take(function); }

} // namespace detail

const char *kind_name(Kind kind) {
    switch (kind) {
    case Kind::Data: return "Data";
    case Kind::Text: return "Text";
    case Kind::CharacterStyle: return "CharacterStyle";
    case Kind::Color: return "Color";
    case Kind::BinaryData: return "BinaryData";
    case Kind::DateTime: return "DateTime";
    case Kind::FixPt: return "FixPt";
    case Kind::QuadChar: return "QuadChar";
    case Kind::ExprEnv: return "ExprEnv";
    case Kind::DataVect: return "DataVect";
    }
    return "?";
}

std::size_t live_count(Kind kind) { return registry().count(kind); }
std::size_t live_total() { return registry().total(); }
std::vector<LiveObject> live_objects() { return registry().owned_since(0); }
std::vector<LiveObject> live_objects_since(std::uint64_t serial) { return registry().owned_since(serial); }
std::uint64_t last_serial() { return registry().last_serial(); }

std::string describe_live(const std::vector<LiveObject> &objects) {
    std::string text;
    for (const LiveObject &object : objects) {
        char address[32];
        std::snprintf(address, sizeof address, "%p", object.address);
        if (!text.empty())
            text += ", ";
        text += std::string(kind_name(object.kind)) + "@" + address + " #" + std::to_string(object.serial);
    }
    return text;
}

void inject_failure(const std::string &function, std::int32_t code, unsigned skip) {
    injections().arm(function, code, skip);
}

void clear_failures() { injections().clear(); }

} // namespace fmhost
