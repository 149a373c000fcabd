#include "http_get.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace fmhost {

namespace {

constexpr int kProtocolNotSupported = 1626;
constexpr int kBadUrl = 1630;
constexpr int kConnectionFailed = 1631;
constexpr std::size_t kMaxHeaderBytes = 64 * 1024;
constexpr int kMaxRedirects = 5;

struct Failure {
    int code;
    std::string message;
};

struct Url {
    std::string host;
    std::string port = "80";
    std::string target = "/";
};

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char &c : out)
        c = lower(c);
    return out;
}

std::string trim(std::string_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
        ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\r'))
        --end;
    return std::string(text.substr(begin, end - begin));
}

Url parse_url(std::string_view url) {
    for (const char c : url)
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F)
            throw Failure{kBadUrl, "the URL holds a blank or control character"};
    const auto schemeEnd = url.find("://");
    if (schemeEnd == std::string_view::npos || schemeEnd == 0)
        throw Failure{kBadUrl, "\"" + std::string(url) + "\" is no URL (http://host:port/path)"};
    const std::string scheme = lowered(url.substr(0, schemeEnd));
    if (scheme != "http")
        throw Failure{kProtocolNotSupported, "the protocol " + scheme + " is not supported (only http)"};
    std::string_view rest = url.substr(schemeEnd + 3);
    if (const auto hash = rest.find('#'); hash != std::string_view::npos)
        rest = rest.substr(0, hash);
    const auto authorityEnd = rest.find_first_of("/?");
    const std::string_view authority = rest.substr(0, authorityEnd);
    Url parsed;
    if (authorityEnd != std::string_view::npos)
        parsed.target = (rest[authorityEnd] == '?' ? "/" : "") + std::string(rest.substr(authorityEnd));
    if (authority.find('@') != std::string_view::npos)
        throw Failure{kBadUrl, "user names in URLs are not supported"};
    std::string_view host = authority;
    std::string_view port;
    if (!host.empty() && host.front() == '[') {
        const auto close = host.find(']');
        if (close == std::string_view::npos)
            throw Failure{kBadUrl, "unbalanced [ in the URL's host"};
        port = host.substr(close + 1);
        host = host.substr(1, close - 1);
        if (!port.empty() && port.front() != ':')
            throw Failure{kBadUrl, "text after the URL's host"};
    } else if (const auto colon = host.rfind(':'); colon != std::string_view::npos) {
        port = host.substr(colon);
        host = host.substr(0, colon);
    }
    if (host.empty())
        throw Failure{kBadUrl, "the URL names no host"};
    parsed.host = std::string(host);
    if (!port.empty()) {
        port.remove_prefix(1);
        long number = 0;
        for (const char c : port) {
            if (c < '0' || c > '9' || number > 65535)
                throw Failure{kBadUrl, "bad port in the URL"};
            number = number * 10 + (c - '0');
        }
        if (port.empty() || number < 1 || number > 65535)
            throw Failure{kBadUrl, "bad port in the URL"};
        parsed.port = std::to_string(number);
    }
    return parsed;
}

using Clock = std::chrono::steady_clock;

// When the whole request must be done, and how long it was given.
struct Deadline {
    Clock::time_point at;
    std::chrono::milliseconds total;

    std::string reason(const char *what) const {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%g", static_cast<double>(total.count()) / 1000);
        return std::string("timed out ") + what + " (the whole request may take " + seconds + " s)";
    }
};

class Socket {
public:
    // `deadline` bounds the connect and every later wait on this socket.
    Socket(const Url &url, const Deadline &deadline) : deadline_(deadline) {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo *found = nullptr;
        const int rc = getaddrinfo(url.host.c_str(), url.port.c_str(), &hints, &found);
        if (rc != 0)
            throw Failure{kConnectionFailed, "cannot resolve " + url.host + ": " + gai_strerror(rc)};
        std::string reason = "no address";
        for (const addrinfo *a = found; a && fd_ < 0; a = a->ai_next) {
            const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
            if (fd < 0) {
                reason = std::strerror(errno);
                continue;
            }
            if (::connect(fd, a->ai_addr, a->ai_addrlen) == 0 || (errno == EINPROGRESS && wait(fd, POLLOUT))) {
                int error = 0;
                socklen_t length = sizeof error;
                if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0) {
                    fd_ = fd;
                    break;
                }
                reason = std::strerror(error ? error : errno);
            } else {
                reason = errno == EINPROGRESS ? deadline_.reason("connecting") : std::strerror(errno);
            }
            ::close(fd);
        }
        freeaddrinfo(found);
        if (fd_ < 0)
            throw Failure{kConnectionFailed, "cannot connect to " + url.host + ":" + url.port + ": " + reason};
    }
    ~Socket() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Socket(const Socket &) = delete;
    Socket &operator=(const Socket &) = delete;

    void send_all(std::string_view data) {
        while (!data.empty()) {
            const ssize_t sent = ::send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
            if (sent > 0) {
                data.remove_prefix(static_cast<std::size_t>(sent));
            } else if (sent < 0 && errno == EINTR) {
                continue;
            } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                if (!wait(fd_, POLLOUT))
                    throw Failure{kConnectionFailed, deadline_.reason("sending the request")};
            } else {
                throw Failure{kConnectionFailed, std::string("cannot send the request: ") + std::strerror(errno)};
            }
        }
    }

    // Appends what arrives to `buffer`; false at the end of the stream.
    bool receive(std::string &buffer) {
        char chunk[16384];
        for (;;) {
            const ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
            if (got > 0) {
                buffer.append(chunk, static_cast<std::size_t>(got));
                return true;
            }
            if (got == 0)
                return false;
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                if (!wait(fd_, POLLIN))
                    throw Failure{kConnectionFailed, deadline_.reason("waiting for the server")};
                continue;
            }
            throw Failure{kConnectionFailed, std::string("cannot read the answer: ") + std::strerror(errno)};
        }
    }

private:
    // Whether the socket became ready before the deadline. Each wait gets
    // only what is left of it, so a server that sends a byte now and then
    // cannot stretch the request.
    bool wait(int fd, short events) const {
        pollfd p{fd, events, 0};
        for (;;) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline_.at - Clock::now());
            if (left.count() <= 0)
                return false;
            const int rc = ::poll(&p, 1, static_cast<int>(std::min<std::int64_t>(left.count(), INT32_MAX)));
            if (rc > 0)
                return true;
            if (rc < 0 && errno != EINTR)
                return false;
        }
    }

    int fd_ = -1;
    Deadline deadline_;
};

// Reads an answer: lines of the header, then the body in its framing.
class Reader {
public:
    explicit Reader(Socket &socket) : socket_(socket) {}

    std::string line(std::size_t limit) {
        for (;;) {
            const auto end = buffer_.find('\n', at_);
            if (end != std::string::npos) {
                std::string text = buffer_.substr(at_, end - at_);
                at_ = end + 1;
                if (!text.empty() && text.back() == '\r')
                    text.pop_back();
                return text;
            }
            if (buffer_.size() - at_ > limit)
                throw Failure{kConnectionFailed, "the answer's header is too long"};
            if (!more())
                throw Failure{kConnectionFailed, "the connection closed in the answer's header"};
        }
    }

    // Passes `count` bytes on; false when the sink stopped.
    bool exactly(std::uint64_t count, const BodySink &sink) {
        while (count > 0) {
            if (at_ == buffer_.size() && !more())
                throw Failure{kConnectionFailed, "the connection closed before the end of the answer"};
            const auto take = static_cast<std::size_t>(std::min<std::uint64_t>(count, buffer_.size() - at_));
            const bool go_on = sink(std::string_view(buffer_).substr(at_, take));
            at_ += take;
            count -= take;
            if (!go_on)
                return false;
        }
        return true;
    }

    void to_end(const BodySink &sink) {
        for (;;) {
            if (at_ < buffer_.size()) {
                const bool go_on = sink(std::string_view(buffer_).substr(at_));
                at_ = buffer_.size();
                if (!go_on)
                    return;
            }
            if (!more())
                return;
        }
    }

private:
    bool more() {
        if (at_ > 0) {
            buffer_.erase(0, at_);
            at_ = 0;
        }
        return socket_.receive(buffer_);
    }

    Socket &socket_;
    std::string buffer_;
    std::size_t at_ = 0;
};

std::optional<std::uint64_t> parse_number(std::string_view text, int base) {
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && lower(c) >= 'a' && lower(c) <= 'f')
            digit = lower(c) - 'a' + 10;
        else
            return std::nullopt;
        if (value > (UINT64_MAX >> 4))
            return std::nullopt;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    }
    return value;
}

void chunked(Reader &reader, const BodySink &sink) {
    for (;;) {
        std::string sizeLine = reader.line(kMaxHeaderBytes);
        if (const auto semicolon = sizeLine.find(';'); semicolon != std::string::npos)
            sizeLine.erase(semicolon);
        const auto size = parse_number(trim(sizeLine), 16);
        if (!size)
            throw Failure{kConnectionFailed, "bad chunk size in the answer"};
        if (*size == 0) {
            // Trailer fields are skipped, but they count against the header limit.
            std::size_t trailerBytes = 0;
            for (std::string trailer; !(trailer = reader.line(kMaxHeaderBytes)).empty();) {
                trailerBytes += trailer.size() + 2;
                if (trailerBytes > kMaxHeaderBytes)
                    throw Failure{kConnectionFailed, "the answer's trailer is too long"};
            }
            return;
        }
        if (!reader.exactly(*size, sink))
            return;
        if (!reader.line(kMaxHeaderBytes).empty())
            throw Failure{kConnectionFailed, "bad chunk end in the answer"};
    }
}

struct Answer {
    int status = 0;
    std::string reason;
    std::optional<std::string> location;
};

// Sends the request, reads the header and, for a 200 answer, the body.
Answer fetch(const Url &url, const BodySink &sink, const Deadline &deadline) {
    Socket socket(url, deadline);
    const bool ipv6 = url.host.find(':') != std::string::npos;
    const std::string host = (ipv6 ? "[" + url.host + "]" : url.host) + (url.port == "80" ? "" : ":" + url.port);
    socket.send_all("GET " + url.target + " HTTP/1.1\r\nHost: " + host +
                    "\r\nUser-Agent: fmhost\r\nAccept: */*\r\nConnection: close\r\n\r\n");
    Reader reader(socket);
    const std::string status = reader.line(kMaxHeaderBytes);
    Answer answer;
    if (status.rfind("HTTP/1.", 0) != 0 || status.size() < 12 || status[8] != ' ')
        throw Failure{kConnectionFailed, "the server's answer is no HTTP: " + status.substr(0, 80)};
    const auto code = parse_number(std::string_view(status).substr(9, 3), 10);
    if (!code)
        throw Failure{kConnectionFailed, "bad status line: " + status.substr(0, 80)};
    answer.status = static_cast<int>(*code);
    answer.reason = trim(std::string_view(status).substr(12));
    std::optional<std::uint64_t> length;
    bool isChunked = false;
    std::size_t headerBytes = status.size();
    for (;;) {
        const std::string header = reader.line(kMaxHeaderBytes);
        headerBytes += header.size() + 2;
        if (headerBytes > kMaxHeaderBytes)
            throw Failure{kConnectionFailed, "the answer's header is too long"};
        if (header.empty())
            break;
        const auto colon = header.find(':');
        if (colon == std::string::npos)
            continue;
        const std::string name = lowered(trim(std::string_view(header).substr(0, colon)));
        const std::string value = trim(std::string_view(header).substr(colon + 1));
        if (name == "content-length") {
            length = parse_number(value, 10);
            if (!length)
                throw Failure{kConnectionFailed, "bad Content-Length in the answer"};
        } else if (name == "transfer-encoding") {
            isChunked = lowered(value).find("chunked") != std::string::npos;
        } else if (name == "location") {
            answer.location = value;
        }
    }
    if (answer.status != 200)
        return answer;
    if (isChunked)
        chunked(reader, sink);
    else if (length)
        reader.exactly(*length, sink);
    else
        reader.to_end(sink);
    return answer;
}

// The URL a redirect points to, relative to the one that was asked for.
std::string resolve(const Url &base, const std::string &location) {
    if (location.find("://") != std::string::npos)
        return location;
    const bool ipv6 = base.host.find(':') != std::string::npos;
    const std::string origin = "http://" + (ipv6 ? "[" + base.host + "]" : base.host) + ":" + base.port;
    if (!location.empty() && location.front() == '/')
        return origin + location;
    const std::string path = base.target.substr(0, base.target.find('?'));
    return origin + path.substr(0, path.rfind('/') + 1) + location;
}

} // namespace

HttpOutcome http_get(const std::string &url, const BodySink &sink, std::chrono::milliseconds timeout) {
    const Deadline deadline{Clock::now() + timeout, timeout};
    try {
        std::string current = url;
        for (int redirects = 0;; ++redirects) {
            const Url parsed = parse_url(current);
            const Answer answer = fetch(parsed, sink, deadline);
            if (answer.status == 200)
                return {};
            const bool redirect = answer.status == 301 || answer.status == 302 || answer.status == 303 ||
                                  answer.status == 307 || answer.status == 308;
            if (!redirect || !answer.location)
                return {kConnectionFailed,
                        "the server answered " + std::to_string(answer.status) + " " + answer.reason};
            if (redirects == kMaxRedirects)
                return {kConnectionFailed, "too many redirects"};
            current = resolve(parsed, *answer.location);
        }
    } catch (const Failure &failure) {
        return {failure.code, failure.message};
    } catch (const std::exception &e) {
        return {kConnectionFailed, e.what()};
    }
}

} // namespace fmhost
