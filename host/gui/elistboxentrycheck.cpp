#include "host/gui/elistboxentrycheck.h"

#include "host/econfig.h"

eListBoxEntryCheck::eListBoxEntryCheck(eListBox<eListBoxEntryMenu>* list, const char* text,
                                       const char* configKey, const eString& helpText)
    : eListBoxEntryMenu(list, text, helpText), configKey_(configKey) {
  int value = 1;
  eConfig::instance()->getKey(configKey_.c_str(), value);
  checked_ = value != 0;
}

bool eListBoxEntryCheck::choose() {
  checked_ = !checked_;
  const int value = checked_ ? 1 : 0;
  eConfig::instance()->setKey(configKey_.c_str(), value);
  return true;
}

eRowView eListBoxEntryCheck::view() const {
  eRowView row = eListBoxEntryMenu::view();
  row.kind = eRowView::Kind::check;
  row.checked = checked_;
  return row;
}
