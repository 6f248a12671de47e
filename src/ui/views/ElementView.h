#pragma once
// What the find bar, Find in Project and the findings ask of the view shown on the right.
#include <string>

class CElementView {
 public:
  virtual ~CElementView() = default;
  // Lists the rows again under the window's row filter (views without rows ignore it).
  virtual void Refilter() {}
  // Selects the element that the part of an item id below the view's node names
  // ("16/text", "0.2/label", "control/1000#0"), shown even when the mode or the filter
  // hides it, and offers it to the editor; false when the view has no such element.
  virtual bool SelectElement(const std::string& element) = 0;
};
