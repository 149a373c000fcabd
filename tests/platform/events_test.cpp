#include "platform/platform.h"

#include <gtest/gtest.h>

#include <future>
#include <regex>
#include <thread>

namespace {

TEST(Clipboard, KeepsFormatsInOrderAndReplacesData) {
    platform::clipboard_clear();
    const std::vector<std::uint8_t> text{'h', 'i', 0};
    const std::vector<std::uint8_t> other{1, 2, 3, 4};
    platform::clipboard_set(13, text);
    platform::clipboard_set(1, other);
    platform::clipboard_set(0xC001, {});
    EXPECT_EQ(platform::clipboard_formats(), (std::vector<std::uint32_t>{13, 1, 0xC001}));
    EXPECT_EQ(platform::clipboard_data(13), text);
    EXPECT_EQ(platform::clipboard_data(0xC001), std::vector<std::uint8_t>{});
    EXPECT_EQ(platform::clipboard_data(2), std::nullopt);

    platform::clipboard_set(13, other);
    EXPECT_EQ(platform::clipboard_data(13), other);
    EXPECT_EQ(platform::clipboard_formats().size(), 3u);

    platform::clipboard_clear();
    EXPECT_TRUE(platform::clipboard_formats().empty());
    EXPECT_EQ(platform::clipboard_data(13), std::nullopt);
}

TEST(MessageQueue, PostFromAnotherThreadWakesTheWaiter) {
    std::promise<platform::ThreadId> id;
    auto waiter = std::async(std::launch::async, [&id] {
        id.set_value(platform::current_thread());
        std::vector<std::pair<int, platform::Message>> received;
        platform::Message message;
        int result;
        do {
            result = platform::get_message(message);
            platform::dispatch_message(message);
            received.emplace_back(result, message);
        } while (result != 0);
        return received;
    });
    const platform::ThreadId target = id.get_future().get();
    EXPECT_NE(target, platform::current_thread());

    std::thread poster([target] {
        EXPECT_TRUE(platform::post_message(target, {platform::kWakeMessage, 7, -7}));
        EXPECT_TRUE(platform::post_message(target, {0x401, 1, 2}));
        EXPECT_TRUE(platform::post_message(target, {platform::kQuitMessage, 0, 0}));
    });
    poster.join();

    const auto received = waiter.get();
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0].first, 1);
    EXPECT_EQ(received[0].second.id, platform::kWakeMessage);
    EXPECT_EQ(received[0].second.wParam, 7u);
    EXPECT_EQ(received[0].second.lParam, -7);
    EXPECT_EQ(received[1].second.id, 0x401u);
    EXPECT_EQ(received[2].first, 0); // quit
}

TEST(MessageQueue, OnlyLiveThreadsReceive) {
    platform::ThreadId ended = 0;
    std::thread([&ended] { ended = platform::current_thread(); }).join();
    EXPECT_FALSE(platform::post_message(ended, {platform::kWakeMessage, 0, 0}));
    EXPECT_FALSE(platform::post_message(0, {platform::kWakeMessage, 0, 0}));
    EXPECT_FALSE(platform::post_message(ended + 1000, {platform::kWakeMessage, 0, 0}));

    // A message posted to oneself before waiting is kept.
    EXPECT_EQ(platform::current_thread(), platform::current_thread());
    ASSERT_TRUE(platform::post_message(platform::current_thread(), {0x402, 0, 0}));
    platform::Message message;
    EXPECT_EQ(platform::get_message(message), 1);
    EXPECT_EQ(message.id, 0x402u);
}

TEST(LocalTime, HasTheAsctimeLayout) {
    const std::regex layout(R"((Sun|Mon|Tue|Wed|Thu|Fri|Sat) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) )"
                            R"([ 123][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4})");
    // Compared with the C library's asctime of the same second.
    auto reference = [] {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        ::localtime_r(&now, &local);
        char buffer[64];
        std::string text = ::asctime_r(&local, buffer);
        text.pop_back();
        return text;
    };
    const std::string before = reference();
    const std::string text = platform::local_time_text();
    const std::string after = reference();
    EXPECT_TRUE(std::regex_match(text, layout)) << text;
    EXPECT_TRUE(text == before || text == after) << text << " / " << before;
}

} // namespace
