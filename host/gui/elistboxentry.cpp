#include "host/gui/elistboxentry.h"

#include <utility>

#include "host/gui/elistboxbase.h"

eListBoxEntry::eListBoxEntry(eListBoxBase* list, bool selectable, eString helpText)
    : selectable_(selectable), helpText_(std::move(helpText)) {
  if (list != nullptr) list->append(this, false, false);
}

eListBoxEntry::~eListBoxEntry() {
  if (list_ != nullptr) list_->take(this, false);
}

bool eListBoxEntry::changeValue(int) {
  return false;
}

bool eListBoxEntry::choose() {
  return false;
}
