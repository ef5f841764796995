// A list of parsed rows that keeps its rows (and the text capacity inside them) from one
// collection to the next, so that re-parsing a kernel file of the same shape allocates
// nothing. Owned by one reader; one thread.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace corvane::local {

template <typename Row>
class RowTable {
 public:
  // Forgets the rows without releasing them.
  void Clear() { size_ = 0; }

  // The next row, reused from an earlier parse when there is one: its fields hold old values
  // that the parser must overwrite.
  Row& Append() {
    if (size_ == rows_.size()) rows_.emplace_back();
    return rows_[size_++];
  }

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  Row& operator[](std::size_t i) { return rows_[i]; }
  const Row& operator[](std::size_t i) const { return rows_[i]; }
  std::span<const Row> rows() const { return {rows_.data(), size_}; }
  std::span<Row> rows() { return {rows_.data(), size_}; }
  auto begin() const { return rows_.begin(); }
  auto end() const { return rows_.begin() + static_cast<std::ptrdiff_t>(size_); }

 private:
  std::vector<Row> rows_;
  std::size_t size_ = 0;
};

}  // namespace corvane::local
