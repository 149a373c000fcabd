// Thin wrappers over the host's FM_ functions. Every call gets a fresh error
// record; the codes the host reports there (1 out of memory, 2 any other
// failure) become a Failure, which ends the native call at that point.
// Host objects that a native needs only for one call are held by Owned and
// deleted at scope end.
#pragma once

#include "fmhost/plugin_interface.h"

#include <cstdint>
#include <exception>
#include <type_traits>
#include <utility>

namespace fmx {

class Failure : public std::exception {
  public:
    Failure(const char *function, std::int32_t code) noexcept : function_(function), code_(code) {}
    // The FM_ function that failed.
    const char *function() const noexcept { return function_; }
    // FMX_ERR_OUT_OF_MEMORY or FMX_ERR_FAILURE.
    std::int32_t code() const noexcept { return code_; }
    const char *what() const noexcept override {
        return code_ == FMX_ERR_OUT_OF_MEMORY ? "host library out of memory" : "host library call failed";
    }

  private:
    const char *function_;
    std::int32_t code_;
};

inline bool is_failure(const FMX_Error &error) noexcept {
    return error.code == FMX_ERR_OUT_OF_MEMORY || error.code == FMX_ERR_FAILURE;
}

// Throws Failure for codes 1 and 2; any other code is not a failure.
inline void check(const char *function, const FMX_Error &error) {
    if (is_failure(error))
        throw Failure(function, error.code);
}

// Calls fn(args..., &record) and checks the record:
//   call("FM_Text_GetSize", FM_Text_GetSize, text)
template <class Fn, class... Args> decltype(auto) call(const char *function, Fn fn, Args... args) {
    FMX_Error error{1, FMX_ERR_NONE};
    if constexpr (std::is_void_v<std::invoke_result_t<Fn, Args..., FMX_Error *>>) {
        fn(args..., &error);
        check(function, error);
    } else {
        auto result = fn(args..., &error);
        check(function, error);
        return result;
    }
}

// How each kind of host object is made and deleted.
template <class T> struct Kind;
template <> struct Kind<FMX_Data> {
    static constexpr const char *kConstructor = "FM_Data_Constructor1";
    static constexpr const char *kDelete = "FM_Data_Delete";
    static FMX_Data *construct(FMX_Error *error) { return FM_Data_Constructor1(error); }
    static void remove(FMX_Data *object, FMX_Error *error) { FM_Data_Delete(object, error); }
};
template <> struct Kind<FMX_Text> {
    static constexpr const char *kConstructor = "FM_Text_Constructor1";
    static constexpr const char *kDelete = "FM_Text_Delete";
    static FMX_Text *construct(FMX_Error *error) { return FM_Text_Constructor1(error); }
    static void remove(FMX_Text *object, FMX_Error *error) { FM_Text_Delete(object, error); }
};
template <> struct Kind<FMX_CharacterStyle> {
    static constexpr const char *kConstructor = "FM_CharacterStyle_Constructor1";
    static constexpr const char *kDelete = "FM_CharacterStyle_Delete";
    static FMX_CharacterStyle *construct(FMX_Error *error) { return FM_CharacterStyle_Constructor1(error); }
    static void remove(FMX_CharacterStyle *object, FMX_Error *error) { FM_CharacterStyle_Delete(object, error); }
};
template <> struct Kind<FMX_Color> {
    static constexpr const char *kConstructor = "FM_Color_Constructor1";
    static constexpr const char *kDelete = "FM_Color_Delete";
    static FMX_Color *construct(FMX_Error *error) { return FM_Color_Constructor1(error); }
    static void remove(FMX_Color *object, FMX_Error *error) { FM_Color_Delete(object, error); }
};
template <> struct Kind<FMX_BinaryData> {
    static constexpr const char *kConstructor = "FM_BinaryData_Constructor1";
    static constexpr const char *kDelete = "FM_BinaryData_Delete";
    static FMX_BinaryData *construct(FMX_Error *error) { return FM_BinaryData_Constructor1(error); }
    static void remove(FMX_BinaryData *object, FMX_Error *error) { FM_BinaryData_Delete(object, error); }
};
template <> struct Kind<FMX_DateTime> {
    static constexpr const char *kConstructor = "FM_DateTime_Constructor1";
    static constexpr const char *kDelete = "FM_DateTime_Delete";
    static FMX_DateTime *construct(FMX_Error *error) { return FM_DateTime_Constructor1(error); }
    static void remove(FMX_DateTime *object, FMX_Error *error) { FM_DateTime_Delete(object, error); }
};
template <> struct Kind<FMX_FixPt> {
    static constexpr const char *kConstructor = "FM_FixPt_Constructor1";
    static constexpr const char *kDelete = "FM_FixPt_Delete";
    // Value 0, precision 16: the only FixPt the natives make.
    static FMX_FixPt *construct(FMX_Error *error) { return FM_FixPt_Constructor1(0, 16, error); }
    static void remove(FMX_FixPt *object, FMX_Error *error) { FM_FixPt_Delete(object, error); }
};
template <> struct Kind<FMX_QuadChar> {
    static constexpr const char *kConstructor = "FM_QuadChar_Constructor1";
    static constexpr const char *kDelete = "FM_QuadChar_Delete";
    static FMX_QuadChar *construct(FMX_Error *error) { return FM_QuadChar_Constructor1(error); }
    static void remove(FMX_QuadChar *object, FMX_Error *error) { FM_QuadChar_Delete(object, error); }
};

template <> struct Kind<FMX_ExprEnv> {
    static constexpr const char *kConstructor = "FM_ExprEnv_Constructor1";
    static constexpr const char *kDelete = "FM_ExprEnv_Delete";
    static FMX_ExprEnv *construct(FMX_Error *error) { return FM_ExprEnv_Constructor1(0, error); }
    static void remove(FMX_ExprEnv *object, FMX_Error *error) { FM_ExprEnv_Delete(object, error); }
};

// Logs a delete that the host reported as failed where nothing can be
// thrown (a destructor, the release pass).
void report_delete_failure(const char *function, std::int32_t code) noexcept;

// A host object made by a constructor, deleted at scope end unless handed on
// with release().
template <class T> class Owned {
  public:
    explicit Owned(T *object) noexcept : object_(object) {}
    Owned(Owned &&other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    Owned(const Owned &) = delete;
    Owned &operator=(const Owned &) = delete;
    Owned &operator=(Owned &&) = delete;
    ~Owned() {
        if (!object_)
            return;
        FMX_Error error{1, FMX_ERR_NONE};
        Kind<T>::remove(object_, &error);
        if (is_failure(error))
            report_delete_failure(Kind<T>::kDelete, error.code);
    }

    T *get() const noexcept { return object_; }
    T *release() noexcept { return std::exchange(object_, nullptr); }

  private:
    T *object_;
};

// Finishes a constructor call: a failure in the record, or no object at
// all, is a Failure.
template <class T> Owned<T> adopt(const char *function, T *object, const FMX_Error &error) {
    Owned<T> owned(object);
    check(function, error);
    if (!object)
        throw Failure(function, FMX_ERR_FAILURE);
    return owned;
}

// A new host object of kind T.
template <class T> Owned<T> make() {
    FMX_Error error{1, FMX_ERR_NONE};
    T *object = Kind<T>::construct(&error);
    return adopt(Kind<T>::kConstructor, object, error);
}

// A new container holding a copy of another's streams.
inline Owned<FMX_BinaryData> copy(const FMX_BinaryData *source) {
    FMX_Error error{1, FMX_ERR_NONE};
    FMX_BinaryData *object = FM_BinaryData_Constructor2(source, &error);
    return adopt("FM_BinaryData_Constructor2", object, error);
}

} // namespace fmx
