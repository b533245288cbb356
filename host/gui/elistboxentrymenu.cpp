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
  switch (align_) {
    case alignLeft:
      row.indent = indent_;
      break;
    case alignRight:
      row.align = eRowView::Align::right;
      break;
    case alignCentre:
      row.align = eRowView::Align::centre;
      break;
    default:  // a value the host does not know: on the left, where nothing is indented
      break;
  }
  return row;
}
