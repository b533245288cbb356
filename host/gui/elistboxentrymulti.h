// A list entry that shows one of several values and steps through them with left and right.
// Its key always holds the key of the value it shows. The constructor's text is the help
// text: the row itself shows the value.
#pragma once

#include <cstddef>
#include <vector>

#include "host/gui/elistboxentrymenu.h"

class eListBoxEntryMulti : public eListBoxEntryMenu {
 public:
  eListBoxEntryMulti(eListBox<eListBoxEntryMenu>* list, const char* helpText);

  // Adds a value after the others; the first value added is shown until another is chosen.
  void add(const char* text, int key);
  // Shows the value with `key`; when no value has it, the first value.
  void setCurrent(int key);

  bool changeValue(int direction) override;
  eRowView view() const override;

 private:
  struct Value {
    eString text;
    int key;
  };

  void showValue(std::size_t index);

  std::vector<Value> values_;
  std::size_t current_ = 0;
};
