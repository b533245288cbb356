// The entry of a setup window's list: a text, a help text and a key of the caller's. The
// entry listens to its list's selected signal and emits its own `selected` when the entry
// chosen is this one, so that each row's action can be connected to the row itself.
#pragma once

#include "host/estring.h"
#include "host/gui/elistbox.h"
#include "host/gui/elistboxentry.h"
#include "host/sigc.h"

class eListBoxEntryMenu : public eListBoxEntry {
 public:
  enum { alignLeft = 0, alignRight = 1, alignCentre = 2 };

  // `align` places the text in the row, `indent` moves it in by that many characters;
  // `key` is the caller's, handed back by getKey().
  eListBoxEntryMenu(eListBox<eListBoxEntryMenu>* list, const char* text,
                    const eString& helpText = "", int align = alignLeft, void* key = nullptr,
                    int indent = 0);

  SigC::Signal0<void> selected;

  const eString& getText() const { return text_; }
  void* getKey() const { return key_; }

  // Connected to the list's selected signal: emits `selected` when `entry` is this entry.
  void LBSelected(eListBoxEntryMenu* entry);

  eRowView view() const override;

 protected:
  // For entries that are no menu choices (separators): `selectable` false.
  eListBoxEntryMenu(eListBox<eListBoxEntryMenu>* list, bool selectable, const char* text,
                    const eString& helpText);
  void setKey(void* key) { key_ = key; }

 private:
  eString text_;
  int align_ = alignLeft;
  void* key_ = nullptr;
  int indent_ = 0;
};

extern template class eListBox<eListBoxEntryMenu>;
