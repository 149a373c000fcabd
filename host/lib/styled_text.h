// UTF-16 text with character styles: the content of a host Text.
#ifndef FMHOST_LIB_STYLED_TEXT_H
#define FMHOST_LIB_STYLED_TEXT_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fmhost {

struct Rgba {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 255;
    bool operator==(const Rgba &) const = default;
};

struct Style {
    std::uint16_t face = 0; // bit set of faces; 0 is plain
    std::uint16_t font = 0;
    std::uint16_t size = 12;
    Rgba color;
    bool operator==(const Style &) const = default;
};

// Characters with a default style and runs of other styles. Positions and
// counts are UTF-16 units; ranges reaching past the end are cut at the end.
class StyledText {
public:
    StyledText() = default;
    explicit StyledText(std::u16string chars) : chars_(std::move(chars)) {}

    const std::u16string &chars() const { return chars_; }
    std::size_t size() const { return chars_.size(); }
    bool empty() const { return chars_.empty(); }
    const Style &default_style() const { return defaultStyle_; }

    // Replaces the characters; every character takes the default style.
    void assign(std::u16string chars);
    // Appends count units of other from position, each with the style it
    // has there. other may be this text.
    void append(const StyledText &other, std::size_t position, std::size_t count);
    void set_style(const Style &style, std::size_t position, std::size_t count);
    // The style of the character at position (the last character's beyond
    // the end, the default style for an empty text).
    Style style_at(std::size_t position) const;

    bool operator==(const StyledText &) const = default;

private:
    struct Run {
        std::size_t start;
        std::size_t length;
        Style style;
        bool operator==(const Run &) const = default;
    };
    // Clears styles from [position, position + count), splitting runs.
    void clear_runs(std::size_t position, std::size_t count);
    // Inserts a run into a range cleared before, merging equal neighbours.
    void insert_run(Run run);

    std::u16string chars_;
    Style defaultStyle_;
    std::vector<Run> runs_; // sorted, disjoint, none empty or in the default style
};

} // namespace fmhost

#endif
