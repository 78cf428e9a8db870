// The detail window through its form: the designed first state, the text box
// filling the client area at any size, and the text set before the window
// shows modally.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/DisplayForm.h"

namespace korvane {
namespace {

class RecordingDisplayView final : public forms::DisplayView {
 public:
  void SetCaption(const std::string& caption) override { calls.push_back("caption " + caption); }
  void SetClientTwips(int width, int height) override {
    calls.push_back("client " + std::to_string(width) + "x" + std::to_string(height));
  }
  void PlaceTextTwips(const forms::TwipRect& r) override { calls.push_back("box twips " + Rect(r.left, r.top, r.width, r.height)); }
  void PlaceTextPixels(int left, int top, int width, int height) override {
    calls.push_back("box " + Rect(left, top, width, height));
  }
  void SetText(const std::string& text) override { calls.push_back("text " + text); }
  void ShowModal() override { calls.push_back("modal"); }

  std::vector<std::string> calls;

 private:
  static std::string Rect(int left, int top, int width, int height) {
    return std::to_string(left) + "," + std::to_string(top) + " " + std::to_string(width) + "x" +
           std::to_string(height);
  }
};

TEST(DisplayForm, LoadsAsDesignedAndTheBoxFillsTheClientAreaAtAnySize) {
  RecordingDisplayView view;
  forms::DisplayForm form(view);
  form.Load();
  EXPECT_EQ(view.calls, (std::vector<std::string>{"caption selection info", "client 3780x990",
                                                  "box twips 0,0 1845x885"}));
  struct Size {
    int width, height;
    const char* box;
  };
  const Size sizes[] = {{252, 66, "box 0,0 252x66"}, {600, 300, "box 0,0 600x300"}, {1, 0, "box 0,0 1x0"},
                        {-3, 20, "box 0,0 0x20"}};
  for (const Size& size : sizes) {
    view.calls.clear();
    form.Resize(size.width, size.height);
    EXPECT_EQ(view.calls, std::vector<std::string>{size.box}) << size.width << "x" << size.height;
  }
}

TEST(DisplayForm, TheTextIsSetBeforeTheWindowShowsModally) {
  RecordingDisplayView view;
  forms::DisplayForm form(view);
  form.ShowText("{6B1E9C40-2F5A-4C11-9D3E-7A10B2C3D4E5}");
  EXPECT_EQ(view.calls, (std::vector<std::string>{"text {6B1E9C40-2F5A-4C11-9D3E-7A10B2C3D4E5}", "modal"}));
}

}  // namespace
}  // namespace korvane
