#pragma once
// The ordered batch of source files with the media values the encoder
// reported for each when it was added. Row i and entry i of every table
// describe the same file; the entry at index count is the staging slot that
// receives the reports of the file being probed.

#include <array>
#include <cstdint>
#include <string>

namespace quelvo {

constexpr int kSourceCapacity = 99;

struct SourceList {
    int32_t count = 0;
    double totalDuration = 0.0;  // sum of durationSeconds of the rows; never recomputed
    bool probeFailed = false;
    std::array<double, kSourceCapacity> durationSeconds{};
    std::array<int32_t, kSourceCapacity> frameWidth{};
    std::array<int32_t, kSourceCapacity> frameHeight{};
    std::array<double, kSourceCapacity> frameRate{};
    std::array<std::string, kSourceCapacity> path{};

    bool full() const { return count >= kSourceCapacity; }

    // Appends the file in the staging slot as a row; false when the list is full.
    bool appendRow(const std::string& filePath);
    // Removes row s, moving the later entries down; false for a bad index.
    bool removeRow(int32_t s);
    // Exchanges the entries (path and values) of rows a and b.
    bool swapRows(int32_t a, int32_t b);
};

}  // namespace quelvo
