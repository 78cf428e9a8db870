#pragma once
// Wraps one result grid: bind, clear, append a caption/value row (section
// headers in reversed, alternating colours), or show a single message. Each
// row gets its kind; colours and widths come from the kind's look.

#include <string>

#include "inspection/FlexGrid.h"

namespace korvane {

class clsGrid {
 public:
  void Init(FlexGrid* msflex);
  void Clear();
  void AddRow(const std::string& sCaption, const std::string& sText, bool bRevCol);
  void ShowMsg(const std::string& sMsg);

  FlexGrid* Grid() const { return grid_; }

 private:
  FlexGrid* grid_ = nullptr;
  bool headerOrange_ = false;  // the colour the next header row gets
  bool showingMessage_ = false;  // the grid holds ShowMsg's row; the next AddRow replaces it
};

}  // namespace korvane
