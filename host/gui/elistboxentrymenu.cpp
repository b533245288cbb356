#include "host/gui/elistboxentrymenu.h"

template class eListBox<eListBoxEntryMenu>;

eListBoxEntryMenu::eListBoxEntryMenu(eListBox<eListBoxEntryMenu>* list, const char* text,
                                     const eString& helpText, int align, void* key, int indent)
    : eListBoxEntryMenu(list, true, text, helpText) {
  align_ = align;
  key_ = key;
  indent_ = indent;
}

eListBoxEntryMenu::eListBoxEntryMenu(eListBox<eListBoxEntryMenu>* list, bool selectable,
                                     const char* text, const eString& helpText)
    : eListBoxEntry(list, selectable, helpText), text_(text != nullptr ? text : "") {
  if (list != nullptr) list->selected.connect(SigC::slot(*this, &eListBoxEntryMenu::LBSelected));
}

void eListBoxEntryMenu::LBSelected(eListBoxEntryMenu* entry) {
  if (entry == this) selected();
}

eRowView eListBoxEntryMenu::view() const {
  eRowView row;
  row.kind = eRowView::Kind::menu;
  row.text = text_;
  row.align = align_;
  row.indent = indent_;
  return row;
}
