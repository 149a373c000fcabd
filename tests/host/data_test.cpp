// Data values: native types, conversions between kinds, dates and times.
#include "host_test.h"
#include "lib/objects.h"
#include "lib/values.h"

#include <limits>
#include <vector>

using namespace host_test;

namespace {

using HostData = HostTest;

constexpr int32_t kDay1970 = 719163;
constexpr int32_t kDay20080229 = 733101;

std::optional<std::string> number_text(const FMX_Data *data) { return fmhost::number_text_of(*data); }

struct DateTimeRead {
    int32_t days;
    int64_t secs; // as AsLong of the seconds since midnight
};

DateTimeRead read(const FMX_DateTime *dt) {
    Err err;
    Own<FMX_FixPt> secs = new_fixpt();
    FM_DateTime_GetSecsSinceMidnight(dt, secs.get(), &err);
    EXPECT_TRUE(err.ok());
    return DateTimeRead{FM_DateTime_GetDaysSinceEpoch(dt, &err), FM_FixPt_AsLong(secs.get(), &err)};
}

// Builds a timestamp the way the plug-in writes one: normalised date and
// time, then SetAsTimeStamp.
void set_timestamp(FMX_Data *data, int32_t year, int32_t month, int32_t day, int64_t hour, int16_t minute,
                   int16_t second) {
    Err err;
    Own<FMX_DateTime> dt = new_datetime();
    Own<FMX_FixPt> y = new_fixpt(year), m = new_fixpt(month), d = new_fixpt(day);
    FM_DateTime_SetNormalizedDate2(dt.get(), y.get(), m.get(), d.get(), &err);
    ASSERT_TRUE(err.ok());
    FM_DateTime_SetNormalizedTime1(dt.get(), hour, minute, second, 0, &err);
    ASSERT_TRUE(err.ok());
    ASSERT_NE(FM_Data_SetAsTimeStamp(data, dt.get(), FMX_DT_TIMESTAMP, &err), 0);
    ASSERT_TRUE(err.ok());
}

TEST_F(HostData, NewValueIsEmptyAndUntyped) {
    Own<FMX_Data> data = new_data();
    Err err;
    EXPECT_NE(FM_Data_IsEmpty(data.get(), &err), 0);
    EXPECT_EQ(FM_Data_GetNativeType(data.get(), &err), FMX_DT_INVALID);
    EXPECT_EQ(text_of(data.get()), "");
    EXPECT_EQ(FM_FixPt_AsLong(FM_Data_GetAsNumber(data.get(), &err), &err), 0);
    EXPECT_EQ(read(FM_Data_GetAsTimeStamp(data.get(), &err)).days, 0);
    EXPECT_TRUE(err.ok());

    set_text(data.get(), u"", FMX_DT_TEXT, &err);
    EXPECT_NE(FM_Data_IsEmpty(data.get(), &err), 0) << "empty text";
    set_text(data.get(), u" ", FMX_DT_TEXT, &err);
    EXPECT_EQ(FM_Data_IsEmpty(data.get(), &err), 0);
}

TEST_F(HostData, TextSetAsEachNativeTypeReadsBackInTheHostsForms) {
    struct Case {
        std::u16string input;
        int32_t type;
        std::string text;                  // GetAsText afterwards
        std::optional<std::string> number; // GetAsNumber, as decimal text
    };
    const std::vector<Case> cases = {
        {u"abc12.5x", FMX_DT_TEXT, "abc12.5x", "12.5"},
        {u"x-1.2.3y4", FMX_DT_TEXT, "x-1.2.3y4", "-1.234"},
        {u"no digits", FMX_DT_TEXT, "no digits", std::nullopt},
        {u"12345678", FMX_DT_NUMBER, "12345678", "12345678"},
        {u"-3.250", FMX_DT_NUMBER, "-3.25", "-3.25"},
        {u".1", FMX_DT_NUMBER, "0.1", "0.1"},
        {u"abc", FMX_DT_NUMBER, "", std::nullopt},
        {u"1", FMX_DT_BOOLEAN, "1", "1"},
        {u"2/29/2008", FMX_DT_DATE, "2/29/2008", std::to_string(kDay20080229)},
        {u" 1/1/1970 ", FMX_DT_DATE, "1/1/1970", std::to_string(kDay1970)},
        {u"2/29/2008 13:05:09", FMX_DT_DATE, "2/29/2008", std::to_string(kDay20080229)},
        {u"13:05:09", FMX_DT_TIME, "13:05:09", "47109"},
        {u"25:30", FMX_DT_TIME, "25:30:00", "91800"},
        {u"-0:00:01.5", FMX_DT_TIME, "-0:00:01.5", "-1.5"},
        // As numbers, timestamps count seconds from 1/1/0001 0:00:00.
        {u"2/29/2008 13:05:09", FMX_DT_TIMESTAMP, "2/29/2008 13:05:09", "63339887109"},
        {u"1/1/1970", FMX_DT_TIMESTAMP, "1/1/1970 0:00:00", "62135596800"},
        {u"file:/a.txt", FMX_DT_BINARY, "file:/a.txt", std::nullopt},
    };
    for (const Case &c : cases) {
        const std::string label = narrow(c.input) + " as type " + std::to_string(c.type);
        Own<FMX_Data> data = new_data();
        Err err;
        EXPECT_NE(set_text(data.get(), c.input, c.type, &err), 0) << label;
        EXPECT_TRUE(err.ok()) << label;
        EXPECT_EQ(FM_Data_GetNativeType(data.get(), &err), c.type) << label;
        EXPECT_EQ(text_of(data.get()), c.text) << label;
        EXPECT_EQ(number_text(data.get()), c.number) << label;
    }
}

TEST_F(HostData, TextThatIsNoDateOrTimeIsRefusedAndLosesNothing) {
    Own<FMX_Data> data = new_data();
    Err err;
    set_text(data.get(), u"42", FMX_DT_NUMBER, &err);
    for (const auto &[input, type] : std::vector<std::pair<std::u16string, int32_t>>{
             {u"hello", FMX_DT_DATE},
             {u"2/30/2008", FMX_DT_DATE},
             {u"13/1/2008", FMX_DT_DATE},
             {u"12:60", FMX_DT_TIME},
             {u"2/29/2008 24:00:00", FMX_DT_TIMESTAMP},
             {u"42", 0},
             {u"42", 8},
         }) {
        Err e;
        EXPECT_EQ(set_text(data.get(), input, type, &e), 0) << narrow(input);
        EXPECT_EQ(e.code, FMX_ERR_FAILURE) << narrow(input);
        EXPECT_EQ(FM_Data_GetNativeType(data.get(), &err), FMX_DT_NUMBER);
        EXPECT_EQ(text_of(data.get()), "42");
    }
}

TEST_F(HostData, DateAndTimeReadsOfOtherKinds) {
    Own<FMX_Data> data = new_data();
    Err err;
    set_text(data.get(), u"2/29/2008 13:05:09", FMX_DT_TEXT, &err);
    EXPECT_EQ(read(FM_Data_GetAsDate(data.get(), &err)).days, kDay20080229);
    EXPECT_EQ(read(FM_Data_GetAsDate(data.get(), &err)).secs, 0);
    EXPECT_EQ(read(FM_Data_GetAsTime(data.get(), &err)).secs, 47109);
    EXPECT_EQ(read(FM_Data_GetAsTimeStamp(data.get(), &err)).days, kDay20080229);
    EXPECT_EQ(read(FM_Data_GetAsTimeStamp(data.get(), &err)).secs, 47109);

    // A number reads as a day number, seconds, or seconds since the epoch.
    set_text(data.get(), u"62135596800", FMX_DT_NUMBER, &err);
    EXPECT_EQ(read(FM_Data_GetAsTimeStamp(data.get(), &err)).days, kDay1970);
    EXPECT_EQ(read(FM_Data_GetAsTimeStamp(data.get(), &err)).secs, 0);
    set_text(data.get(), u"90000", FMX_DT_NUMBER, &err);
    EXPECT_EQ(read(FM_Data_GetAsTime(data.get(), &err)).secs, 90000) << "durations pass a day";

    // A time has no date and a date no time.
    set_text(data.get(), u"13:05:09", FMX_DT_TIME, &err);
    EXPECT_EQ(read(FM_Data_GetAsDate(data.get(), &err)).days, 0);
    set_text(data.get(), u"2/29/2008", FMX_DT_DATE, &err);
    EXPECT_EQ(read(FM_Data_GetAsTime(data.get(), &err)).secs, 0);
    EXPECT_EQ(read(FM_Data_GetAsTimeStamp(data.get(), &err)).days, kDay20080229);
    EXPECT_TRUE(err.ok());
}

TEST_F(HostData, TimestampWrittenFromPartsReadsBack) {
    Own<FMX_Data> data = new_data();
    set_timestamp(data.get(), 2008, 2, 29, 13, 5, 9);
    Err err;
    EXPECT_EQ(FM_Data_GetNativeType(data.get(), &err), FMX_DT_TIMESTAMP);
    const DateTimeRead stamp = read(FM_Data_GetAsTimeStamp(data.get(), &err));
    EXPECT_EQ(stamp.days, kDay20080229);
    EXPECT_EQ(stamp.secs, 13 * 3600 + 5 * 60 + 9);
    EXPECT_EQ(text_of(data.get()), "2/29/2008 13:05:09");

    set_timestamp(data.get(), 1970, 1, 1, 0, 0, 0);
    Own<FMX_FixPt> seconds = new_fixpt();
    FM_DateTime_GetSecondsSinceEpoch(FM_Data_GetAsTimeStamp(data.get(), &err), seconds.get(), &err);
    // The DateTime counts days × 86400 + seconds; the value's number counts
    // from 1/1/0001 0:00:00, a day less.
    EXPECT_EQ(FM_FixPt_AsFloat(seconds.get(), &err), 62135683200.0);
    EXPECT_EQ(static_cast<int64_t>(kDay1970) * 86400, 62135683200);
    EXPECT_EQ(number_text(data.get()), "62135596800");
    EXPECT_TRUE(err.ok());
}

TEST_F(HostData, DatesAndTimesNormaliseLikeMktime) {
    struct Case {
        int32_t year, month, day;
        int64_t hour;
        int16_t minute, second;
        std::string text;
    };
    const std::vector<Case> cases = {
        {2008, 13, 1, 0, 0, 0, "1/1/2009 0:00:00"},
        {2008, 3, 0, 0, 0, 0, "2/29/2008 0:00:00"},
        {2007, 3, 0, 0, 0, 0, "2/28/2007 0:00:00"},
        {2008, 0, 1, 0, 0, 0, "12/1/2007 0:00:00"},
        {2008, -11, 1, 0, 0, 0, "1/1/2007 0:00:00"},
        {2008, 1, 32, 0, 0, 0, "2/1/2008 0:00:00"},
        {2000, 2, 29, 0, 0, 0, "2/29/2000 0:00:00"},
        {1900, 2, 29, 0, 0, 0, "3/1/1900 0:00:00"},
        {1, 1, 1, 0, 0, 0, "1/1/0001 0:00:00"},
        {2008, 2, 28, 25, 0, 0, "2/29/2008 1:00:00"},
        {2008, 3, 1, 0, -1, 0, "2/29/2008 23:59:00"},
        {2008, 3, 1, 0, 0, 61, "3/1/2008 0:01:01"},
    };
    for (const Case &c : cases) {
        Own<FMX_Data> data = new_data();
        set_timestamp(data.get(), c.year, c.month, c.day, c.hour, c.minute, c.second);
        EXPECT_EQ(text_of(data.get()), c.text) << c.year << "-" << c.month << "-" << c.day << " " << c.hour << ":"
                                               << c.minute << ":" << c.second;
    }
    Own<FMX_Data> data = new_data();
    set_timestamp(data.get(), 1, 1, 1, 0, 0, 0);
    Err err;
    EXPECT_EQ(read(FM_Data_GetAsTimeStamp(data.get(), &err)).days, 1);
}

TEST_F(HostData, DaysOutsideTheRangeAreRefused) {
    Own<FMX_DateTime> dt = new_datetime();
    Err err;
    FM_DateTime_SetNormalizedTime1(dt.get(), std::numeric_limits<int64_t>::max(), 0, 0, 0, &err);
    EXPECT_EQ(err.code, FMX_ERR_FAILURE);
    Own<FMX_FixPt> huge = new_fixpt(std::numeric_limits<int32_t>::max()), one = new_fixpt(1);
    FM_DateTime_SetNormalizedDate2(dt.get(), huge.get(), one.get(), one.get(), &err);
    EXPECT_EQ(err.code, FMX_ERR_FAILURE);
    EXPECT_EQ(read(dt.get()).days, 0);
    EXPECT_EQ(read(dt.get()).secs, 0);
}

TEST_F(HostData, TimeSetFromSecondsKeepsDurations) {
    Own<FMX_Data> data = new_data();
    Own<FMX_DateTime> dt = new_datetime();
    Own<FMX_FixPt> secs = new_fixpt(100000);
    Err err;
    FM_DateTime_SetSecsSinceMidnight(dt.get(), secs.get(), &err);
    EXPECT_NE(FM_Data_SetAsTime(data.get(), dt.get(), FMX_DT_TIME, &err), 0);
    EXPECT_EQ(text_of(data.get()), "27:46:40");
    EXPECT_NE(FM_Data_SetAsDate(data.get(), dt.get(), FMX_DT_TEXT, &err), 0);
    EXPECT_EQ(text_of(data.get()), "?") << "day 0 lies before 1/1/0001, the first date";
    EXPECT_EQ(FM_Data_GetNativeType(data.get(), &err), FMX_DT_TEXT);
    EXPECT_TRUE(err.ok());
}

// FNAM stream bytes as containers store them: header, protocol, folder and
// name, the last two masked.
std::vector<uint8_t> fnam(std::string_view folder, std::string_view name) {
    std::vector<uint8_t> bytes = {0, 0, 0, 1, 4, 'f', 'i', 'l', 'e'};
    auto add = [&](std::string_view part) {
        bytes.push_back(static_cast<uint8_t>(part.size()));
        for (const char c : part)
            bytes.push_back(c == '/' ? '/' : static_cast<uint8_t>(c ^ 0xAF));
    };
    add(folder);
    add(name);
    return bytes;
}

TEST_F(HostData, ContainerTextIsItsFileNameOrReference) {
    const std::string longName = std::string(43, 'n') + ".txt"; // 47: its length byte is '/' unmasked
    struct Case {
        const char *what;
        std::vector<std::pair<std::string, std::vector<uint8_t>>> streams;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"name", {{"FILE", {1, 2, 3}}, {"FNAM", fnam("", "notes.txt")}}, "notes.txt"},
        {"folder and name", {{"FNAM", fnam("docs/old/", "a.pdf")}}, "a.pdf"},
        {"name of 47", {{"FNAM", fnam("", longName)}}, longName},
        {"no name", {{"JPEG", {1}}}, "?"},
        {"broken name", {{"FNAM", {0, 0, 0, 1, 9}}}, "?"},
        {"nothing", {}, ""},
    };
    for (const Case &c : cases) {
        Err err;
        Own<FMX_BinaryData> binary(FM_BinaryData_Constructor1(&err));
        for (const auto &[type, bytes] : c.streams) {
            Own<FMX_QuadChar> quad = new_quad(type);
            FM_BinaryData_Add(binary.get(), quad.get(), static_cast<uint32_t>(bytes.size()), bytes.data(), &err);
        }
        Own<FMX_Data> data = new_data();
        EXPECT_NE(FM_Data_SetBinaryData(data.get(), binary.get(), 1, &err), 0);
        EXPECT_TRUE(err.ok()) << c.what;
        EXPECT_EQ(text_of(data.get()), c.text) << c.what;
        EXPECT_EQ(FM_Data_GetNativeType(data.get(), &err), FMX_DT_BINARY);
        EXPECT_EQ(FM_Data_IsEmpty(data.get(), &err) != 0, c.streams.empty()) << c.what;
    }
}

TEST_F(HostData, ContainerIsCopiedInAndOut) {
    Err err;
    Own<FMX_BinaryData> binary(FM_BinaryData_Constructor1(&err));
    Own<FMX_QuadChar> file = new_quad("FILE");
    FM_BinaryData_Add(binary.get(), file.get(), 3, "abc", &err);
    Own<FMX_Data> data = new_data();
    FM_Data_SetBinaryData(data.get(), binary.get(), 1, &err);
    FM_BinaryData_RemoveAll(binary.get(), &err);

    const FMX_BinaryData *view = FM_Data_GetBinaryData(data.get(), &err);
    EXPECT_EQ(FM_BinaryData_GetCount(view, &err), 1);
    Own<FMX_BinaryData> copy(FM_BinaryData_Constructor2(view, &err));
    EXPECT_EQ(FM_BinaryData_GetTotalSize(copy.get(), &err), 3u);
    EXPECT_TRUE(err.ok());

    set_text(data.get(), u"plain", FMX_DT_TEXT, &err);
    EXPECT_EQ(FM_BinaryData_GetCount(FM_Data_GetBinaryData(data.get(), &err), &err), 0) << "no container";
}

TEST_F(HostData, SetAsTextCopiesTheTextWithItsStyles) {
    Own<FMX_Text> text = new_text(u"styled");
    Err err;
    Own<FMX_CharacterStyle> bold(FM_CharacterStyle_Constructor1(&err));
    FM_CharacterStyle_SetFace(bold.get(), 1, &err);
    FM_Text_SetStyle(text.get(), bold.get(), 0, 3, &err);
    Own<FMX_Data> data = new_data();
    FM_Data_SetAsText(data.get(), text.get(), FM_Data_GetLocale(data.get(), &err), FMX_DT_TEXT, &err);
    const FMX_Unichar replaced[] = {'x', 0};
    FM_Text_AssignUnicode(text.get(), replaced, &err);

    const FMX_Text *view = FM_Data_GetAsText(data.get(), &err);
    EXPECT_EQ(chars_of(view), u"styled");
    Own<FMX_CharacterStyle> style(FM_CharacterStyle_Constructor1(&err));
    FM_Text_GetStyle(view, style.get(), 2, &err);
    EXPECT_EQ(FM_CharacterStyle_GetFace(style.get(), &err), 1);
    FM_Text_GetStyle(view, style.get(), 3, &err);
    EXPECT_EQ(FM_CharacterStyle_GetFace(style.get(), &err), 0);

    // A value set from its own text view stays whole.
    FM_Data_SetAsText(data.get(), view, FM_Data_GetLocale(data.get(), &err), FMX_DT_TEXT, &err);
    EXPECT_EQ(text_of(data.get()), "styled");
    EXPECT_TRUE(err.ok());
}

TEST_F(HostData, HelpersBuildAndReadValues) {
    Own<FMX_Data> data = new_data();
    EXPECT_TRUE(fmhost::set_number_text(*data, "1.2345678E7"));
    EXPECT_EQ(text_of(data.get()), "12345678");
    EXPECT_FALSE(fmhost::set_number_text(*data, "12abc"));
    EXPECT_EQ(number_text(data.get()), "12345678");
    fmhost::set_text(*data, u"x");
    EXPECT_EQ(fmhost::text_of(*data), u"x");
    fmhost::set_date(*data, fmhost::DateValue{kDay1970});
    EXPECT_EQ(text_of(data.get()), "1/1/1970");
}

} // namespace
