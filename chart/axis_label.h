// The label text of one axis, rebuilt at every drawing. Fixed storage of 55 characters so
// that drawing never allocates; text beyond the room is cut. Owned by its axis record: used
// only while the chart's lock is held.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace corvane::chart {

class AxisLabel {
 public:
  static constexpr std::size_t kCapacity = 55;  // characters

  void Clear() { size_ = 0; }

  // Appends as much of the text as still fits. Returns false when some of it was cut.
  bool Append(std::string_view text) {
    const std::size_t room = kCapacity - size_;
    const std::size_t taken = text.size() < room ? text.size() : room;
    for (std::size_t i = 0; i < taken; ++i) text_[size_ + i] = text[i];
    size_ += taken;
    return taken == text.size();
  }

  std::string_view View() const { return {text_.data(), size_}; }
  std::size_t Size() const { return size_; }              // characters
  std::size_t Room() const { return kCapacity - size_; }  // characters still free

 private:
  std::array<char, kCapacity> text_{};
  std::size_t size_ = 0;  // characters in use
};

}  // namespace corvane::chart
