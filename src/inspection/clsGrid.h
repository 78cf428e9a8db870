#pragma once
// Wraps one result grid: bind, clear, append a caption/value row (section
// headers in reversed, alternating colours), or show a single message.

#include <string>

#include "inspection/FlexGrid.h"

namespace korvane {

// Colours of the grid rows.
inline constexpr OleColor kDesktopColor = 0x80000001u;  // system colour 1
inline constexpr OleColor kHeaderOrange = 0x001B9CFCu;  // red 252, green 156, blue 27
inline constexpr OleColor kWhite = 0x00FFFFFFu;

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
