// vx_ArrangeCandidate: a partial or complete arrangement of the target positions. The
// positions are decided in target order; each gets one instance of its candidate
// list or none, and the lines are consecutive runs of positions.
#pragma once

#include <utility>
#include <vector>

class vx_ArrangeCandidate {
public:
    // The empty candidate: nothing decided, no lines.
    vx_ArrangeCandidate() = default;
    // The given choices and line starts, unchecked (for tests and padding).
    vx_ArrangeCandidate(std::vector<int> choices, std::vector<int> lineStarts)
        : choices_(std::move(choices)), lineStarts_(std::move(lineStarts)) {}

    // Per decided position, in target order: the index of the chosen instance in the
    // position's candidate lists, or -1 for unmatched.
    const std::vector<int>& choices() const { return choices_; }
    // The ascending positions at which lines begin; the first is 0 once anything is
    // decided.
    const std::vector<int>& lineStarts() const { return lineStarts_; }

    int numDecided() const { return static_cast<int>(choices_.size()); }
    int numLines() const { return static_cast<int>(lineStarts_.size()); }
    // Positions lineBegin(j) .. lineEnd(j) - 1 form line j.
    int lineBegin(int line) const { return lineStarts_[line]; }
    int lineEnd(int line) const {
        return line + 1 < numLines() ? lineStarts_[line + 1] : numDecided();
    }
    bool isMatched(int position) const { return choices_[position] >= 0; }

    // Decides the next position: instance `choice` (-1 for unmatched), starting a new
    // line when `newLine` is true (the first position always does).
    void extend(int choice, bool newLine) {
        if (newLine || lineStarts_.empty()) lineStarts_.push_back(numDecided());
        choices_.push_back(choice);
    }
    // Takes back the last extend; nothing happens on the empty candidate.
    void undo() {
        if (choices_.empty()) return;
        if (lineStarts_.back() == numDecided() - 1) lineStarts_.pop_back();
        choices_.pop_back();
    }

    friend bool operator==(const vx_ArrangeCandidate&, const vx_ArrangeCandidate&) = default;

private:
    std::vector<int> choices_;
    std::vector<int> lineStarts_;
};
