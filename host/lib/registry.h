// The live-object registry behind the host controls, and the checks that
// every FM_ function makes on the object pointers it is given.
//
// Objects made by a Constructor are registered as owned: they are counted,
// listed, and may be deleted once. Objects that belong to another object
// (the text of a Data value, the colour of a style, the elements of a
// DataVect) are registered as views: they are valid arguments for every
// function that reads them, but they are not counted, cannot be deleted and
// cannot be changed through the FM_ functions.
#ifndef FMHOST_LIB_REGISTRY_H
#define FMHOST_LIB_REGISTRY_H

#include "fmhost/host_control.h"

#include <memory>
#include <utility>

namespace fmhost::detail {

// Thrown inside FM_ functions for a general failure; the call guard turns it
// into error code 2.
struct Failure {};
[[noreturn]] inline void fail() { throw Failure{}; }

void register_owned(Kind kind, const void *address);
void register_view(Kind kind, const void *address);
// Forgets a view or an owned object (no-op for an unknown address).
void unregister(const void *address);
// Forgets an owned object of that kind; false when the address is not one.
bool unregister_owned(Kind kind, const void *address);
// Whether the address is a live object of that kind (a view counts only when
// views are allowed).
bool is_live(Kind kind, const void *address, bool allowView);

template <class T> struct KindOf;
template <> struct KindOf<FMX_Data> { static constexpr Kind value = Kind::Data; };
template <> struct KindOf<FMX_Text> { static constexpr Kind value = Kind::Text; };
template <> struct KindOf<FMX_CharacterStyle> { static constexpr Kind value = Kind::CharacterStyle; };
template <> struct KindOf<FMX_Color> { static constexpr Kind value = Kind::Color; };
template <> struct KindOf<FMX_BinaryData> { static constexpr Kind value = Kind::BinaryData; };
template <> struct KindOf<FMX_DateTime> { static constexpr Kind value = Kind::DateTime; };
template <> struct KindOf<FMX_FixPt> { static constexpr Kind value = Kind::FixPt; };
template <> struct KindOf<FMX_QuadChar> { static constexpr Kind value = Kind::QuadChar; };
template <> struct KindOf<FMX_ExprEnv> { static constexpr Kind value = Kind::ExprEnv; };
template <> struct KindOf<FMX_DataVect> { static constexpr Kind value = Kind::DataVect; };

// An object the caller may read: owned or a view.
template <class T> const T &readable(const T *object) {
    if (!is_live(KindOf<T>::value, object, true))
        fail();
    return *object;
}

// An object the caller may change: owned only, views are refused.
template <class T> T &writable(T *object) {
    if (!is_live(KindOf<T>::value, object, false))
        fail();
    return *object;
}

// Makes and registers an owned object.
template <class T, class... Args> T *construct(Args &&...args) {
    auto object = std::make_unique<T>(std::forward<Args>(args)...);
    register_owned(KindOf<T>::value, object.get());
    return object.release();
}

// Unregisters and deletes an owned object; a view or an unknown address fails.
template <class T> void destroy(T *object) {
    if (!unregister_owned(KindOf<T>::value, object))
        fail();
    delete object;
}

// One view object held by its owner, registered while it exists.
template <class T> class View {
public:
    View() = default;
    explicit View(T value) : object_(std::make_unique<T>(std::move(value))) {
        register_view(KindOf<T>::value, object_.get());
    }
    View(View &&other) noexcept : object_(std::move(other.object_)) {}
    View &operator=(View &&other) noexcept {
        if (this != &other) {
            reset();
            object_ = std::move(other.object_);
        }
        return *this;
    }
    View(const View &) = delete;
    View &operator=(const View &) = delete;
    ~View() { reset(); }

    T *get() const { return object_.get(); }

private:
    void reset() {
        if (object_) {
            unregister(object_.get());
            object_.reset();
        }
    }
    std::unique_ptr<T> object_;
};

// A view made on first use and refilled by each accessor call; a copy of the
// owner starts without one.
template <class T> class ViewSlot {
public:
    ViewSlot() = default;
    ViewSlot(const ViewSlot &) {}
    ViewSlot &operator=(const ViewSlot &) { return *this; }

    // The view holding value (the same object on every call).
    const T *show(T value) const {
        if (!view_.get())
            view_ = View<T>(std::move(value));
        else
            *view_.get() = std::move(value);
        return view_.get();
    }

private:
    mutable View<T> view_;
};

} // namespace fmhost::detail

#endif
