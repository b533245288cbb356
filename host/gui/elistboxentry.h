// One row of a host list. An entry belongs to at most one list; it takes itself out of it
// when it is destroyed, and a list deletes the entries it still holds.
#pragma once

#include "host/estring.h"
#include "host/gui/screen.h"
#include "host/sigc.h"

class eListBoxBase;

class eListBoxEntry : public SigC::Object {
 public:
  eListBoxEntry(const eListBoxEntry&) = delete;
  eListBoxEntry& operator=(const eListBoxEntry&) = delete;
  virtual ~eListBoxEntry();

  bool isSelectable() const { return selectable_; }
  const eString& getHelpText() const { return helpText_; }

  // The row as it is drawn.
  virtual eRowView view() const = 0;
  // left (-1) or right (+1) on the entry; returns whether its value changed.
  virtual bool changeValue(int direction);
  // ok on the entry; returns whether the entry acted itself, else the list reports it chosen.
  virtual bool choose();

 protected:
  // Appends the entry to `list` (when given) without making it current or reporting it.
  eListBoxEntry(eListBoxBase* list, bool selectable, eString helpText);

 private:
  friend class eListBoxBase;

  eListBoxBase* list_ = nullptr;
  bool selectable_;
  eString helpText_;
};
