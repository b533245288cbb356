#include "host/gui/elistboxentrymenuseparator.h"

eListBoxEntryMenuSeparator::eListBoxEntryMenuSeparator(eListBox<eListBoxEntryMenu>* list,
                                                       gPixmap* image, int margin, bool line)
    : eListBoxEntryMenu(list, false, "", ""), image_(image), margin_(margin), line_(line) {}

eRowView eListBoxEntryMenuSeparator::view() const {
  eRowView row;
  row.kind = eRowView::Kind::separator;
  if (image_ != nullptr) row.image = image_->name();
  row.line = line_;
  row.margin = margin_;
  return row;
}
