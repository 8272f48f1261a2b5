// Handles of the Linux layer's objects (global memory blocks, windows, GDI
// objects and device contexts): slots addressed by handle values that also
// carry the slot's generation, so that the handle of a freed slot does not
// reach the slot's next occupant. The tag (0 to 7) keeps the handles of
// different tables apart; the base moves a table's handles into a range of
// their own (window handles stay clear of X window ids, which are below 2^29).
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

template <typename T>
class HandleTable {
 public:
  explicit HandleTable(uintptr_t tag, uintptr_t base = 0) : tag_(tag), base_(base) {}

  uintptr_t Add(T value) {
    size_t slot = 0;
    while (slot < slots_.size() && slots_[slot].used)
      ++slot;
    if (slot == slots_.size()) slots_.emplace_back();
    slots_[slot].value = std::move(value);
    slots_[slot].used = true;
    return HandleOf(slot);
  }

  // Valid until the next Add or Remove.
  T* Find(const void* handle) {
    uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    if (value < base_) return nullptr;
    value -= base_;
    if (value % 8 != tag_ || value / 8 < kGenerations) return nullptr;
    size_t slot = value / 8 / kGenerations - 1;
    if (slot >= slots_.size() || !slots_[slot].used) return nullptr;
    if (slots_[slot].generation != value / 8 % kGenerations) return nullptr;
    return &slots_[slot].value;
  }

  // The handle must be one that Find accepts.
  void Remove(const void* handle) {
    Slot& slot = slots_[(reinterpret_cast<uintptr_t>(handle) - base_) / 8 / kGenerations - 1];
    slot.value = T();
    slot.used = false;
    slot.generation = (slot.generation + 1) % kGenerations;
  }

  // Calls visit(handle, value) for every occupied slot, in slot order. Slots
  // that visit adds are visited too; the table may grow meanwhile.
  template <typename Visit>
  void ForEach(Visit visit) {
    for (size_t slot = 0; slot < slots_.size(); ++slot) {
      if (slots_[slot].used) visit(HandleOf(slot), slots_[slot].value);
    }
  }

 private:
  static constexpr uintptr_t kGenerations = 256;
  struct Slot {
    T value{};
    unsigned generation = 0;
    bool used = false;
  };

  uintptr_t HandleOf(size_t slot) const {
    return base_ + ((slot + 1) * kGenerations + slots_[slot].generation) * 8 + tag_;
  }

  std::vector<Slot> slots_;
  uintptr_t tag_;
  uintptr_t base_;
};
