// The registry stand-in: an in-memory set of keys with string values, and a
// reader for files in the format of a registry export (REGEDIT4 or version
// 5.00). Key paths are full paths that start with the hive's long name,
// "HKEY_LOCAL_MACHINE\Software\...". Letter case is ignored (ASCII letters).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::registry {

class Registry {
public:
    // Adds a key and every parent key on its path.
    void add_key(std::u16string_view fullPath);
    // Sets a string value (the key and its parents are added); "" names the
    // key's default value.
    void set_string(std::u16string_view fullPath, std::u16string_view name, std::u16string value);
    // Records a value of another type: present, but not readable as a string.
    void set_other(std::u16string_view fullPath, std::u16string_view name);
    void remove_value(std::u16string_view fullPath, std::u16string_view name);

    bool has_key(std::u16string_view fullPath) const;
    std::optional<std::u16string> string_value(std::u16string_view fullPath,
                                               std::u16string_view name) const;

private:
    // Folded value name -> value; nullopt for values that are not strings.
    using Values = std::map<std::u16string, std::optional<std::u16string>>;
    std::map<std::u16string, Values> keys_; // by folded full path
};

// The long hive name for "HKEY_LOCAL_MACHINE"/"HKLM" or "HKEY_CURRENT_USER"/
// "HKCU" (any letter case); nullopt for other hives.
std::optional<std::u16string> hive_name(std::u16string_view name);

// ASCII letters to lower case, for comparisons that ignore letter case.
std::u16string fold(std::u16string_view text);

struct ParseIssue {
    int line = 0; // 1-based
    std::string message;
};

struct ParseResult {
    Registry registry;
    std::vector<ParseIssue> issues; // lines that were skipped, and why
};

// Reads the bytes of an export file: UTF-8 (with or without a byte-order
// mark) or UTF-16LE with a byte-order mark. Lines that cannot be understood
// are skipped and reported; a file without the export header gives an empty
// registry.
ParseResult parse_registry(std::string_view bytes);

} // namespace platform::registry
