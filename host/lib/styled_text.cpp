#include "lib/styled_text.h"

#include <algorithm>

namespace fmhost {

void StyledText::assign(std::u16string chars) {
    chars_ = std::move(chars);
    runs_.clear();
}

void StyledText::append(const StyledText &other, std::size_t position, std::size_t count) {
    if (&other == this) {
        const StyledText copy = other;
        append(copy, position, count);
        return;
    }
    if (position >= other.size())
        return;
    const std::size_t end = position + std::min(count, other.size() - position);
    const std::size_t oldSize = chars_.size();
    // Where a position of other lands in this text.
    auto landing = [&](std::size_t from) { return oldSize + (from - position); };

    std::vector<Run> added;
    auto add = [&](std::size_t from, std::size_t to, const Style &style) {
        if (from >= to || style == defaultStyle_)
            return;
        if (!added.empty() && added.back().start + added.back().length == landing(from) && added.back().style == style)
            added.back().length += to - from;
        else
            added.push_back(Run{landing(from), to - from, style});
    };
    std::size_t at = position;
    for (const Run &run : other.runs_) {
        const std::size_t runEnd = run.start + run.length;
        if (runEnd <= at)
            continue;
        if (run.start >= end)
            break;
        add(at, std::max(at, run.start), other.defaultStyle_);
        const std::size_t from = std::max(at, run.start);
        const std::size_t to = std::min(end, runEnd);
        add(from, to, run.style);
        at = to;
    }
    add(at, end, other.defaultStyle_);

    std::u16string chars = chars_;
    chars.append(other.chars_, position, end - position);
    std::vector<Run> runs = runs_;
    for (const Run &run : added)
        runs.push_back(run);
    chars_ = std::move(chars);
    runs_ = std::move(runs);
    // The first added run may continue the last old one.
    if (!added.empty() && runs_.size() > added.size()) {
        const std::size_t first = runs_.size() - added.size();
        Run &before = runs_[first - 1];
        if (before.start + before.length == runs_[first].start && before.style == runs_[first].style) {
            before.length += runs_[first].length;
            runs_.erase(runs_.begin() + static_cast<std::ptrdiff_t>(first));
        }
    }
}

void StyledText::set_style(const Style &style, std::size_t position, std::size_t count) {
    if (position >= size())
        return;
    count = std::min(count, size() - position);
    if (count == 0)
        return;
    clear_runs(position, count);
    insert_run(Run{position, count, style});
}

Style StyledText::style_at(std::size_t position) const {
    if (chars_.empty())
        return defaultStyle_;
    position = std::min(position, chars_.size() - 1);
    const auto it = std::upper_bound(runs_.begin(), runs_.end(), position,
                                     [](std::size_t pos, const Run &run) { return pos < run.start; });
    if (it == runs_.begin())
        return defaultStyle_;
    const Run &run = *std::prev(it);
    return position < run.start + run.length ? run.style : defaultStyle_;
}

void StyledText::clear_runs(std::size_t position, std::size_t count) {
    const std::size_t end = position + count;
    std::vector<Run> kept;
    kept.reserve(runs_.size() + 1);
    for (const Run &run : runs_) {
        const std::size_t runEnd = run.start + run.length;
        if (runEnd <= position || run.start >= end) {
            kept.push_back(run);
            continue;
        }
        if (run.start < position)
            kept.push_back(Run{run.start, position - run.start, run.style});
        if (runEnd > end)
            kept.push_back(Run{end, runEnd - end, run.style});
    }
    runs_ = std::move(kept);
}

void StyledText::insert_run(Run run) {
    if (run.style == defaultStyle_)
        return;
    auto it = std::lower_bound(runs_.begin(), runs_.end(), run.start,
                               [](const Run &r, std::size_t start) { return r.start < start; });
    it = runs_.insert(it, run);
    // Merge with the following run, then with the preceding one.
    const auto next = std::next(it);
    if (next != runs_.end() && it->start + it->length == next->start && it->style == next->style) {
        it->length += next->length;
        it = std::prev(runs_.erase(next));
    }
    if (it != runs_.begin()) {
        const auto prev = std::prev(it);
        if (prev->start + prev->length == it->start && prev->style == it->style) {
            prev->length += it->length;
            runs_.erase(it);
        }
    }
}

} // namespace fmhost
