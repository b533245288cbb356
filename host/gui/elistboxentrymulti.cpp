#include "host/gui/elistboxentrymulti.h"

#include <cstdint>

eListBoxEntryMulti::eListBoxEntryMulti(eListBox<eListBoxEntryMenu>* list, const char* helpText)
    : eListBoxEntryMenu(list, "", helpText) {}

void eListBoxEntryMulti::add(const char* text, int key) {
  values_.push_back({text, key});
  if (values_.size() == 1) showValue(0);
}

void eListBoxEntryMulti::setCurrent(int key) {
  for (std::size_t index = 0; index < values_.size(); ++index) {
    if (values_[index].key == key) return showValue(index);
  }
  if (!values_.empty()) showValue(0);
}

bool eListBoxEntryMulti::changeValue(int direction) {
  if (direction < 0 && current_ > 0) {
    showValue(current_ - 1);
    return true;
  }
  if (direction > 0 && current_ + 1 < values_.size()) {
    showValue(current_ + 1);
    return true;
  }
  return false;
}

eRowView eListBoxEntryMulti::view() const {
  eRowView row;
  row.kind = eRowView::Kind::multi;
  if (!values_.empty()) row.text = values_[current_].text;
  return row;
}

void eListBoxEntryMulti::showValue(std::size_t index) {
  current_ = index;
  setKey(reinterpret_cast<void*>(static_cast<std::intptr_t>(values_[index].key)));
}
