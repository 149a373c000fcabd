// Containers: ordered typed streams.
#include "host_test.h"

#include <array>
#include <vector>

using namespace host_test;

namespace {

class HostBinary : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        binary_.reset(FM_BinaryData_Constructor1(&err_));
    }
    void TearDown() override {
        binary_.reset();
        HostTest::TearDown();
    }

    int32_t add(std::string_view type, const std::vector<uint8_t> &bytes) {
        return FM_BinaryData_Add(binary_.get(), new_quad(type).get(), static_cast<uint32_t>(bytes.size()),
                                 bytes.data(), &err_);
    }
    std::string type_at(int32_t index) {
        Own<FMX_QuadChar> quad(FM_QuadChar_Constructor1(&err_));
        FM_BinaryData_GetType(binary_.get(), index, quad.get(), &err_);
        const uint32_t v = FM_QuadChar_GetMacType(quad.get(), &err_);
        return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    }
    std::string types() {
        std::string out;
        for (int32_t i = 0; i < FM_BinaryData_GetCount(binary_.get(), &err_); ++i)
            out += (out.empty() ? "" : ",") + type_at(i);
        return out;
    }

    Err err_;
    Own<FMX_BinaryData> binary_;
};

const std::vector<uint8_t> kTen = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};

TEST_F(HostBinary, StreamsKeepTheirOrderTypesAndSizes) {
    EXPECT_EQ(FM_BinaryData_GetCount(binary_.get(), &err_), 0);
    EXPECT_EQ(FM_BinaryData_GetTotalSize(binary_.get(), &err_), 0u);
    EXPECT_EQ(add("JPEG", kTen), 0);
    EXPECT_EQ(add("SIZE", {0, 64, 0, 32}), 0);
    EXPECT_EQ(add("snd ", {}), 0);
    EXPECT_EQ(types(), "JPEG,SIZE,snd ");
    EXPECT_EQ(FM_BinaryData_GetTotalSize(binary_.get(), &err_), 14u);
    EXPECT_EQ(FM_BinaryData_GetSize(binary_.get(), 0, &err_), 10u);
    EXPECT_EQ(FM_BinaryData_GetSize(binary_.get(), 1, &err_), 4u);
    EXPECT_EQ(FM_BinaryData_GetIndex(binary_.get(), new_quad("SIZE").get(), &err_), 1);
    EXPECT_EQ(FM_BinaryData_GetIndex(binary_.get(), new_quad("PNGf").get(), &err_), -1);
    for (const int32_t outside : {-1, 3, 1000})
        EXPECT_EQ(FM_BinaryData_GetSize(binary_.get(), outside, &err_), 0u) << outside;
    EXPECT_TRUE(err_.ok());

    Own<FMX_QuadChar> untouched = new_quad("KEEP");
    Err err;
    FM_BinaryData_GetType(binary_.get(), 3, untouched.get(), &err);
    EXPECT_EQ(err.code, FMX_ERR_FAILURE);
    EXPECT_EQ(FM_QuadChar_GetMacType(untouched.get(), &err), 0x4B454550u);
}

TEST_F(HostBinary, PiecesLandAtTheStartOfTheBuffer) {
    add("JPEG", kTen);
    struct Case {
        int32_t index;
        uint32_t offset, amount;
        int32_t result;
        std::array<uint8_t, 6> buffer; // starts as all 0xEE
    };
    const std::vector<Case> cases = {
        {0, 0, 4, 0, {0, 1, 2, 3, 0xEE, 0xEE}},
        {0, 4, 4, 0, {4, 5, 6, 7, 0xEE, 0xEE}},
        {0, 8, 2, 0, {8, 9, 0xEE, 0xEE, 0xEE, 0xEE}},
        {0, 8, 4, 1, {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}},
        {0, 11, 0, 1, {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}},
        {0, 0xFFFFFFFFu, 2, 1, {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}},
        {0, 10, 0, 0, {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}},
        {1, 0, 1, 1, {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}},
        {-1, 0, 1, 1, {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}},
    };
    for (const Case &c : cases) {
        std::array<uint8_t, 6> buffer;
        buffer.fill(0xEE);
        Err err;
        EXPECT_EQ(FM_BinaryData_GetData(binary_.get(), c.index, c.offset, c.amount, buffer.data(), &err), c.result)
            << c.index << "@" << c.offset << "+" << c.amount;
        EXPECT_TRUE(err.ok());
        EXPECT_EQ(buffer, c.buffer) << c.index << "@" << c.offset << "+" << c.amount;
    }
}

TEST_F(HostBinary, DuplicatesAreRefusedAndRemovalsFindTheirType) {
    add("FILE", kTen);
    add("FNAM", {1, 2});
    add("SIZE", {3, 4, 5, 6});
    EXPECT_NE(add("FNAM", {9}), 0);
    EXPECT_TRUE(err_.ok());
    EXPECT_EQ(types(), "FILE,FNAM,SIZE");
    EXPECT_EQ(FM_BinaryData_GetSize(binary_.get(), 1, &err_), 2u) << "the first stream stays";

    EXPECT_EQ(FM_BinaryData_Remove(binary_.get(), new_quad("PDF ").get(), &err_), 0);
    EXPECT_EQ(types(), "FILE,FNAM,SIZE");
    EXPECT_NE(FM_BinaryData_Remove(binary_.get(), new_quad("FNAM").get(), &err_), 0);
    EXPECT_EQ(types(), "FILE,SIZE");
    EXPECT_EQ(add("FNAM", {9}), 0);
    EXPECT_EQ(types(), "FILE,SIZE,FNAM");

    Own<FMX_BinaryData> copy(FM_BinaryData_Constructor2(binary_.get(), &err_));
    FM_BinaryData_RemoveAll(binary_.get(), &err_);
    EXPECT_EQ(FM_BinaryData_GetCount(binary_.get(), &err_), 0);
    EXPECT_EQ(FM_BinaryData_GetCount(copy.get(), &err_), 3);
    EXPECT_EQ(FM_BinaryData_GetTotalSize(copy.get(), &err_), 15u);
    EXPECT_TRUE(err_.ok());

    Err err;
    EXPECT_NE(FM_BinaryData_Add(binary_.get(), new_quad("FILE").get(), 4, nullptr, &err), 0);
    EXPECT_EQ(err.code, FMX_ERR_FAILURE) << "bytes without a buffer";
}

} // namespace
