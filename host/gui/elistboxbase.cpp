#include "host/gui/elistboxbase.h"

#include <algorithm>
#include <cassert>

#include "host/gui/elistboxentry.h"

eListBoxBase::~eListBoxBase() {
  clearList();
}

void eListBoxBase::clearList() {
  // Each entry takes itself out of the list when it is deleted.
  while (!entries_.empty()) delete entries_.back();
  current_ = nullptr;
}

void eListBoxBase::append(eListBoxEntry* entry, bool makeCurrent, bool sendSelChanged) {
  assert(entry->list_ == nullptr);
  entries_.push_back(entry);
  entry->list_ = this;
  if (!entry->isSelectable() || (current_ != nullptr && !makeCurrent)) return;
  current_ = entry;
  if (sendSelChanged) SendSelChanged(entry);
}

void eListBoxBase::take(eListBoxEntry* entry, bool sendSelChanged) {
  int index = indexOf(entry);
  if (index < 0) return;
  entries_.erase(entries_.begin() + index);
  entry->list_ = nullptr;
  if (entry != current_) return;
  current_ = selectableFrom(index, +1);
  if (current_ == nullptr) current_ = selectableFrom(index - 1, -1);
  if (current_ != nullptr && sendSelChanged) SendSelChanged(current_);
}

bool eListBoxBase::changeValue(int direction) {
  assert(holdsCurrent());
  if (current_ == nullptr || !current_->changeValue(direction)) return false;
  SendSelChanged(current_);
  return true;
}

bool eListBoxBase::chooseCurrent() {
  assert(holdsCurrent());
  if (current_ == nullptr) return false;
  if (!current_->choose()) SendSelected(current_);
  return true;
}

void eListBoxBase::describe(eWidgetView& view) const {
  assert(holdsCurrent());
  for (const eListBoxEntry* entry : entries_) view.rows.push_back(entry->view());
  view.currentRow = indexOf(current_);
  if ((flags_ & flagShowEntryHelp) != 0 && current_ != nullptr) view.help = current_->getHelpText();
}

bool eListBoxBase::moveBy(int step) {
  assert(holdsCurrent());
  if (current_ == nullptr) return false;
  eListBoxEntry* next = selectableFrom(indexOf(current_) + step, step);
  if (next == nullptr) return false;
  current_ = next;
  SendSelChanged(next);
  return true;
}

eListBoxEntry* eListBoxBase::selectableFrom(int from, int step) const {
  for (int index = from; index >= 0 && index < getCount(); index += step) {
    if (entries_[index]->isSelectable()) return entries_[index];
  }
  return nullptr;
}

bool eListBoxBase::holdsCurrent() const {
  return current_ == nullptr || (indexOf(current_) >= 0 && current_->isSelectable());
}

int eListBoxBase::indexOf(const eListBoxEntry* entry) const {
  auto found = std::find(entries_.begin(), entries_.end(), entry);
  return found != entries_.end() ? static_cast<int>(found - entries_.begin()) : -1;
}
