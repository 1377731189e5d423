// The input line's history: the lines that launched something, newest first, and the recall of
// them by the Up and Down keys. Portable: the command window gives it the line it shows and puts
// back what it answers.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

class THistory {
public:
    // Lines kept; an older one goes when a new one comes.
    static constexpr std::size_t kCapacity = 100;

    // The stored lines, newest first. Empty lines and repeats of a newer line are dropped, and
    // only the first kCapacity kept: a file edited by hand must not hold the recall up. Loading
    // is no change.
    void Load(const std::vector<std::string>& lines);
    // A line that launched something becomes the newest; an equal older one goes, so that every
    // line is kept once. Ends a recall.
    void Add(const std::string& line);
    const std::vector<std::string>& Lines() const { return lines_; }
    // Whether a line was added since the load or the last MarkSaved.
    bool Changed() const { return changed_; }
    void MarkSaved() { changed_ = false; }

    // Up and Down. `shown` is the line as it stands. The first Up takes it as the prefix that
    // every recalled line must begin with; a line the user has changed since the last recall is
    // a new prefix. Older answers the next older line with the prefix (not the prefix itself),
    // Newer the next newer one, and after the newest the prefix as it was typed; nothing when
    // there is no such line, and then the line stays as it is.
    std::optional<std::string> Older(const std::string& shown);
    std::optional<std::string> Newer(const std::string& shown);
    // Forgets the prefix: the next Up starts afresh from what the line shows.
    void EndRecall() { recalling_ = false; }

private:
    std::optional<std::string> Show(std::ptrdiff_t at);
    bool Fits(std::size_t i) const;

    std::vector<std::string> lines_;
    bool changed_ = false;
    bool recalling_ = false;
    std::string prefix_;
    std::string shown_;      // the last line answered
    std::ptrdiff_t at_ = -1; // its index, -1 for the prefix
};
