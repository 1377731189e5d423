#include "app/History.h"

#include <algorithm>

void THistory::Load(const std::vector<std::string>& lines) {
    lines_.clear();
    for (const std::string& line : lines) {
        if (lines_.size() == kCapacity)
            break;
        if (!line.empty() && std::find(lines_.begin(), lines_.end(), line) == lines_.end())
            lines_.push_back(line);
    }
    changed_ = false;
    recalling_ = false;
}

void THistory::Add(const std::string& line) {
    recalling_ = false;
    if (line.empty())
        return;
    const auto same = std::find(lines_.begin(), lines_.end(), line);
    if (same == lines_.begin() && same != lines_.end())
        return;
    if (same != lines_.end())
        lines_.erase(same);
    else if (lines_.size() == kCapacity)
        lines_.pop_back();
    lines_.insert(lines_.begin(), line);
    changed_ = true;
}

bool THistory::Fits(std::size_t i) const {
    const std::string& line = lines_[i];
    return line.size() > prefix_.size() && line.compare(0, prefix_.size(), prefix_) == 0;
}

std::optional<std::string> THistory::Show(std::ptrdiff_t at) {
    at_ = at;
    shown_ = at < 0 ? prefix_ : lines_[static_cast<std::size_t>(at)];
    return shown_;
}

std::optional<std::string> THistory::Older(const std::string& shown) {
    if (!recalling_ || shown != shown_) {
        recalling_ = true;
        prefix_ = shown;
        shown_ = shown;
        at_ = -1;
    }
    for (std::size_t i = static_cast<std::size_t>(at_ + 1); i < lines_.size(); ++i)
        if (Fits(i))
            return Show(static_cast<std::ptrdiff_t>(i));
    return std::nullopt;
}

std::optional<std::string> THistory::Newer(const std::string& shown) {
    if (!recalling_ || shown != shown_ || at_ < 0) {
        recalling_ = recalling_ && shown == shown_;
        return std::nullopt;
    }
    for (std::ptrdiff_t i = at_ - 1; i >= 0; --i)
        if (Fits(static_cast<std::size_t>(i)))
            return Show(i);
    return Show(-1);
}
