// A small HTTP client for Import Records: GET of an http:// URL over a
// plain socket, the body handed on as it arrives.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace fmhost {

struct HttpOutcome {
    int error = 0;       // 0, or FileMaker's code: 1626 protocol not supported, 1630 bad URL, 1631 connection failed
    std::string message; // what went wrong
};

// Receives the body piece by piece; returning false stops the transfer
// (the outcome is then success: the receiver knows why it stopped).
using BodySink = std::function<bool(std::string_view)>;

// GETs the URL with HTTP/1.1 (Connection: close). A 200 answer's body goes
// to `sink` (plain, with Content-Length, or chunked); redirects are followed
// up to five times; any other status is error 1631. `timeout` bounds the
// whole request, redirects included: a server that sends a byte now and
// then cannot hold it longer (error 1631, "timed out ...").
HttpOutcome http_get(const std::string &url, const BodySink &sink,
                     std::chrono::milliseconds timeout = std::chrono::seconds(30));

} // namespace fmhost
