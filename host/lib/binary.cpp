// FM_BinaryData_: containers as ordered typed streams.
//
// Refusals that the interface reports through a return value (a duplicate
// type on Add, a piece outside the stream on GetData) return 1 and leave the
// error record at 0; a bad object pointer or a null buffer is code 2.
// GetType of an index outside the streams is code 2 and leaves the type.
#include "lib/guard.h"
#include "lib/objects.h"

#include <cstring>
#include <limits>

using namespace fmhost;
using namespace fmhost::detail;

namespace {

constexpr int32_t kRefused = 1;
constexpr int32_t kFailed = -1;

const Stream *stream_at(const FMX_BinaryData &binary, int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= binary.streams.size())
        return nullptr;
    return &binary.streams[static_cast<std::size_t>(index)];
}

int32_t index_of(const FMX_BinaryData &binary, std::uint32_t type) {
    for (std::size_t i = 0; i < binary.streams.size(); ++i)
        if (binary.streams[i].type == type)
            return static_cast<int32_t>(i);
    return -1;
}

std::uint64_t total_size(const FMX_BinaryData &binary) {
    std::uint64_t total = 0;
    for (const Stream &stream : binary.streams)
        total += stream.bytes.size();
    return total;
}

} // namespace

extern "C" {

FMX_BinaryData *FM_BinaryData_Constructor1(FMX_Error *err) {
    return guarded<FMX_BinaryData *>(__func__, err, nullptr, [] { return construct<FMX_BinaryData>(); });
}

FMX_BinaryData *FM_BinaryData_Constructor2(const FMX_BinaryData *source, FMX_Error *err) {
    return guarded<FMX_BinaryData *>(__func__, err, nullptr,
                                     [&] { return construct<FMX_BinaryData>(readable(source)); });
}

void FM_BinaryData_Delete(FMX_BinaryData *binary, FMX_Error *err) {
    guarded(__func__, err, [&] { destroy(binary); });
}

int32_t FM_BinaryData_GetCount(const FMX_BinaryData *binary, FMX_Error *err) {
    return guarded<int32_t>(__func__, err, 0,
                            [&] { return static_cast<int32_t>(readable(binary).streams.size()); });
}

uint32_t FM_BinaryData_GetTotalSize(const FMX_BinaryData *binary, FMX_Error *err) {
    // Add keeps the total within 32 bits.
    return guarded<uint32_t>(__func__, err, 0, [&] { return static_cast<uint32_t>(total_size(readable(binary))); });
}

int32_t FM_BinaryData_GetIndex(const FMX_BinaryData *binary, const FMX_QuadChar *type, FMX_Error *err) {
    return guarded<int32_t>(__func__, err, -1, [&] {
        const FMX_BinaryData &b = readable(binary);
        return index_of(b, readable(type).value);
    });
}

void FM_BinaryData_GetType(const FMX_BinaryData *binary, int32_t index, FMX_QuadChar *type, FMX_Error *err) {
    guarded(__func__, err, [&] {
        const FMX_BinaryData &b = readable(binary);
        FMX_QuadChar &t = writable(type);
        const Stream *stream = stream_at(b, index);
        if (!stream)
            fail();
        t.value = stream->type;
    });
}

uint32_t FM_BinaryData_GetSize(const FMX_BinaryData *binary, int32_t index, FMX_Error *err) {
    return guarded<uint32_t>(__func__, err, 0, [&] {
        const Stream *stream = stream_at(readable(binary), index);
        return stream ? static_cast<uint32_t>(stream->bytes.size()) : 0u;
    });
}

int32_t FM_BinaryData_GetData(const FMX_BinaryData *binary, int32_t index, uint32_t offset, uint32_t amount,
                              void *buffer, FMX_Error *err) {
    return guarded<int32_t>(__func__, err, kFailed, [&] {
        const Stream *stream = stream_at(readable(binary), index);
        if (!stream || offset > stream->bytes.size() || amount > stream->bytes.size() - offset)
            return kRefused;
        if (amount == 0)
            return 0;
        if (!buffer)
            fail();
        std::memcpy(buffer, stream->bytes.data() + offset, amount);
        return 0;
    });
}

int32_t FM_BinaryData_Add(FMX_BinaryData *binary, const FMX_QuadChar *type, uint32_t amount, const void *buffer,
                          FMX_Error *err) {
    return guarded<int32_t>(__func__, err, kFailed, [&] {
        FMX_BinaryData &b = writable(binary);
        const std::uint32_t code = readable(type).value;
        if (amount != 0 && !buffer)
            fail();
        if (index_of(b, code) >= 0 || total_size(b) + amount > std::numeric_limits<uint32_t>::max())
            return kRefused;
        const auto *bytes = static_cast<const std::uint8_t *>(buffer);
        Stream stream{code, std::vector<std::uint8_t>(bytes, bytes + amount)};
        b.streams.push_back(std::move(stream));
        return 0;
    });
}

int FM_BinaryData_Remove(FMX_BinaryData *binary, const FMX_QuadChar *type, FMX_Error *err) {
    return guarded(__func__, err, 0, [&] {
        FMX_BinaryData &b = writable(binary);
        const int32_t index = index_of(b, readable(type).value);
        if (index < 0)
            return 0;
        b.streams.erase(b.streams.begin() + index);
        return 1;
    });
}

void FM_BinaryData_RemoveAll(FMX_BinaryData *binary, FMX_Error *err) {
    guarded(__func__, err, [&] { writable(binary).streams.clear(); });
}

} // extern "C"
