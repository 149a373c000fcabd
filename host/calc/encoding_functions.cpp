// Encodings of text and container data: URL encoding and Base64.
#include "calc/builtins.h"
#include "calc/utf8.h"

namespace calc::fn {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";
constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
// Base64Encode breaks its lines after this many characters, with CR LF.
constexpr std::size_t kBase64Line = 76;

bool unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '.' || c == '~';
}

// The bytes a value stands for: a container's file, else the UTF-8 text.
std::vector<std::uint8_t> bytesOf(const Value& v) {
    if (v.type() == Type::Container && !v.bytes().empty()) return v.bytes();
    const std::string text = v.toText();
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

int base64Digit(char32_t c) {
    if (c >= 'A' && c <= 'Z') return static_cast<int>(c - 'A');
    if (c >= 'a' && c <= 'z') return static_cast<int>(c - 'a' + 26);
    if (c >= '0' && c <= '9') return static_cast<int>(c - '0' + 52);
    if (c == '+' || c == '-') return 62;
    if (c == '/' || c == '_') return 63;
    return -1;
}

}  // namespace

// GetAsURLEncoded ( text ): the UTF-8 bytes of the text, each written as %HH
// except letters, digits and - _ . ~.
Value getAsURLEncoded(const std::vector<Value>& a, const CallSite&) {
    std::string out;
    for (const char byte : a[0].toText()) {
        const auto c = static_cast<unsigned char>(byte);
        if (unreserved(c)) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 0x0F]);
        }
    }
    return Value::text(std::move(out));
}

// Base64Encode ( data ): a container's file or the UTF-8 bytes of a text in
// Base64, in lines of 76 characters separated by CR LF.
Value base64Encode(const std::vector<Value>& a, const CallSite&) {
    const std::vector<std::uint8_t> bytes = bytesOf(a[0]);
    std::string out;
    std::size_t lineLength = 0;
    auto put = [&](char c) {
        if (lineLength == kBase64Line) {
            out += "\r\n";
            lineLength = 0;
        }
        out.push_back(c);
        ++lineLength;
    };
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        const std::uint32_t group = std::uint32_t{bytes[i]} << 16 | (n > 1 ? std::uint32_t{bytes[i + 1]} << 8 : 0) |
                                    (n > 2 ? std::uint32_t{bytes[i + 2]} : 0);
        put(kBase64[group >> 18 & 0x3F]);
        put(kBase64[group >> 12 & 0x3F]);
        put(n > 1 ? kBase64[group >> 6 & 0x3F] : '=');
        put(n > 2 ? kBase64[group & 0x3F] : '=');
    }
    return Value::text(std::move(out));
}

// Base64Decode ( text {; fileNameWithExtension } ): the decoded bytes as a
// container file of that name, or without a name as UTF-8 text. Characters
// outside the Base64 alphabet (line breaks, blanks) are skipped; the
// URL-safe "-" and "_" read as "+" and "/"; decoding ends at "=".
Value base64Decode(const std::vector<Value>& a, const CallSite&) {
    std::vector<std::uint8_t> bytes;
    std::uint32_t group = 0;
    int bits = 0;
    for (const char32_t c : utf8::decode(a[0].toText())) {
        if (c == '=') break;
        const int digit = base64Digit(c);
        if (digit < 0) continue;
        group = (group << 6 | static_cast<std::uint32_t>(digit)) & 0xFFFFFF;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes.push_back(static_cast<std::uint8_t>(group >> bits & 0xFF));
        }
    }
    const std::string name = a.size() > 1 ? a[1].toText() : std::string();
    if (name.empty()) return Value::text(utf8::encode(utf8::decode(std::string(bytes.begin(), bytes.end()))));
    if (bytes.empty()) return Value::empty(Type::Container);
    return Value::container(name, std::move(bytes));
}

}  // namespace calc::fn
