// The base of everything the host shows: a widget has a place on the display, is shown and
// hidden, and runs the host's one modal loop, exec(), which hands the keys to the widget
// until it closes. A widget opened from inside another's loop runs its own loop nested.
#pragma once

#include "host/estring.h"
#include "host/gui/geometry.h"
#include "host/gui/keysource.h"
#include "host/gui/screen.h"
#include "host/sigc.h"

class eWidget : public SigC::Object {
 public:
  eWidget(const eWidget&) = delete;
  eWidget& operator=(const eWidget&) = delete;
  // A widget still shown is hidden first.
  virtual ~eWidget();

  void move(const ePoint& position) { position_ = position; }
  void resize(const eSize& size) { size_ = size; }
  void setText(const eString& text) { text_ = text; }
  const eString& getText() const { return text_; }

  // Puts the widget on top of the display; showing a shown widget does nothing.
  void show();
  // Takes the widget off the display; hiding a hidden widget does nothing.
  void hide();

  // Runs the modal loop: before each key the active screen is refreshed, then the key goes
  // to eventHandler, until close() is called. Returns the result given to close(). Throws
  // eNoMoreKeys when a key is needed and none can come.
  int exec();
  // Ends the running modal loop once the current key has been handled.
  void close(int result);

  // What the widget shows now.
  eWidgetView view() const;

 protected:
  explicit eWidget(eWidgetView::Kind kind);

  // Handles one key; returns whether the widget used it. The base uses none.
  virtual int eventHandler(eRCKey key);
  // Fills in what the kind of widget adds to the view (rows, text, buttons).
  virtual void describe(eWidgetView& view) const;

 private:
  eWidgetView::Kind kind_;
  eString text_;
  ePoint position_;
  eSize size_;
  bool visible_ = false;
  bool closing_ = false;
  int result_ = 0;
};

// The widgets shown now, from the bottom one to the top one.
eScreenFrame currentScreenFrame();
