#include "platform/posix/registry_file.h"

#include "platform/platform.h"

namespace platform::registry {
namespace {

constexpr char16_t kSeparator = u'\\';

std::u16string_view trim(std::u16string_view text) {
    auto isSpace = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r'; };
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

std::u16string decode(std::string_view bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        std::u16string units;
        units.reserve(bytes.size() / 2);
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
            units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           (static_cast<unsigned char>(bytes[i + 1]) << 8));
        // Round-trip through UTF-8 so that lone surrogates become U+FFFD.
        return widen(narrow(units));
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    return widen(bytes);
}

// A quoted string at text[0] ('"'); on success pos is just past the closing
// quote. \\ and \" are escapes; any other backslash is kept as written.
std::optional<std::u16string> parse_quoted(std::u16string_view text, std::size_t &pos) {
    std::u16string out;
    pos = 1;
    while (pos < text.size()) {
        const char16_t c = text[pos++];
        if (c == u'"') return out;
        if (c == u'\\' && pos < text.size() && (text[pos] == u'\\' || text[pos] == u'"')) {
            out += text[pos++];
        } else {
            out += c;
        }
    }
    return std::nullopt;
}

// "HKLM\Software\X" -> "HKEY_LOCAL_MACHINE\Software\X"; nullopt for another
// hive or an empty path component.
std::optional<std::u16string> canonical_path(std::u16string_view path, std::string &error) {
    const auto cut = path.find(kSeparator);
    const auto hive = hive_name(path.substr(0, cut));
    if (!hive) {
        error = "unsupported hive \"" + narrow(path.substr(0, cut)) + "\"";
        return std::nullopt;
    }
    if (cut == std::u16string_view::npos) return *hive;
    const auto rest = path.substr(cut);
    if (rest.ends_with(kSeparator) || rest.find(u"\\\\") != std::u16string_view::npos) {
        error = "empty key name in path";
        return std::nullopt;
    }
    return *hive + std::u16string(rest);
}

} // namespace

std::u16string fold(std::u16string_view text) {
    std::u16string out(text);
    for (auto &c : out)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return out;
}

std::optional<std::u16string> hive_name(std::u16string_view name) {
    const auto folded = fold(name);
    if (folded == u"hkey_local_machine" || folded == u"hklm") return u"HKEY_LOCAL_MACHINE";
    if (folded == u"hkey_current_user" || folded == u"hkcu") return u"HKEY_CURRENT_USER";
    return std::nullopt;
}

void Registry::add_key(std::u16string_view fullPath) {
    const auto folded = fold(fullPath);
    for (auto cut = folded.find(kSeparator); cut != std::u16string::npos;
         cut = folded.find(kSeparator, cut + 1))
        keys_.try_emplace(folded.substr(0, cut));
    keys_.try_emplace(folded);
}

void Registry::set_string(std::u16string_view fullPath, std::u16string_view name,
                          std::u16string value) {
    add_key(fullPath);
    keys_[fold(fullPath)][fold(name)] = std::move(value);
}

void Registry::set_other(std::u16string_view fullPath, std::u16string_view name) {
    add_key(fullPath);
    keys_[fold(fullPath)][fold(name)] = std::nullopt;
}

void Registry::remove_value(std::u16string_view fullPath, std::u16string_view name) {
    const auto key = keys_.find(fold(fullPath));
    if (key != keys_.end()) key->second.erase(fold(name));
}

bool Registry::has_key(std::u16string_view fullPath) const {
    return keys_.contains(fold(fullPath));
}

std::optional<std::u16string> Registry::string_value(std::u16string_view fullPath,
                                                     std::u16string_view name) const {
    const auto key = keys_.find(fold(fullPath));
    if (key == keys_.end()) return std::nullopt;
    const auto value = key->second.find(fold(name));
    if (value == key->second.end()) return std::nullopt;
    return value->second;
}

ParseResult parse_registry(std::string_view bytes) {
    ParseResult result;
    const std::u16string text = decode(bytes);

    std::vector<std::u16string_view> lines;
    for (std::size_t start = 0; start <= text.size();) {
        auto end = text.find(u'\n', start);
        if (end == std::u16string::npos) end = text.size();
        lines.push_back(std::u16string_view(text).substr(start, end - start));
        start = end + 1;
    }

    auto issue = [&](std::size_t index, std::string message) {
        result.issues.push_back({static_cast<int>(index + 1), std::move(message)});
    };

    const auto header = trim(lines.front());
    if (header != u"REGEDIT4" && header != u"Windows Registry Editor Version 5.00") {
        issue(0, "not a registry export (the first line must be REGEDIT4 or "
                 "\"Windows Registry Editor Version 5.00\")");
        return result;
    }

    enum class Section { None, Key, Skipped };
    Section section = Section::None;
    std::u16string key;

    for (std::size_t i = 1; i < lines.size(); ++i) {
        const auto line = trim(lines[i]);
        if (line.empty() || line.front() == u';') continue;

        if (line.front() == u'[') {
            if (line.back() != u']') {
                issue(i, "key line without closing bracket");
                section = Section::Skipped;
                continue;
            }
            const auto path = line.substr(1, line.size() - 2);
            if (path.starts_with(u'-')) { // a key deletion: nothing to read
                section = Section::Skipped;
                continue;
            }
            std::string error;
            if (auto full = canonical_path(path, error)) {
                key = std::move(*full);
                result.registry.add_key(key);
                section = Section::Key;
            } else {
                issue(i, error);
                section = Section::Skipped;
            }
            continue;
        }

        if (line.front() != u'"' && line.front() != u'@') {
            issue(i, "unrecognised line");
            continue;
        }

        std::u16string name;
        std::size_t pos = 1;
        if (line.front() == u'"') {
            auto quoted = parse_quoted(line, pos);
            if (!quoted) {
                issue(i, "value name without closing quote");
                continue;
            }
            name = std::move(*quoted);
        }
        auto rest = trim(line.substr(pos));
        if (!rest.starts_with(u'=')) {
            issue(i, "value line without '='");
            continue;
        }
        rest = trim(rest.substr(1));

        // Values of other types may continue over lines that end with '\'.
        const bool isString = rest.starts_with(u'"');
        if (!isString) {
            while (i + 1 < lines.size() && trim(lines[i]).ends_with(u'\\')) ++i;
        }

        if (section == Section::Skipped) continue;
        if (section == Section::None) {
            issue(i, "value before the first key");
            continue;
        }

        if (isString) {
            std::size_t end = 0;
            auto value = parse_quoted(rest, end);
            if (!value) {
                issue(i, "value without closing quote");
            } else if (!trim(rest.substr(end)).empty()) {
                issue(i, "text after the closing quote of a value");
            } else {
                result.registry.set_string(key, name, std::move(*value));
            }
        } else if (rest == u"-") {
            result.registry.remove_value(key, name);
        } else if (rest.empty()) {
            issue(i, "value line without data");
        } else {
            result.registry.set_other(key, name);
        }
    }
    return result;
}

} // namespace platform::registry
