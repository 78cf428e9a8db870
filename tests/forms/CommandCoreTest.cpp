// The Command button without a toolkit: its state machine event by event,
// its stored properties, and where it draws its frame, focus lines and caption.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/CommandCore.h"
#include "forms/CommandGeometry.h"
#include "forms/PropertyBag.h"

namespace korvane::ui {
namespace {

// Counts the clicks and property-change signals of a core.
struct CoreProbe {
  explicit CoreProbe(CommandCore& core) {
    core.onClick = [this] { ++clicks; };
    core.onPropertyChanged = [this](const std::string& name) { changed.push_back(name); };
    core.onPaint = [this] { ++paints; };
  }
  int clicks = 0;
  int paints = 0;
  std::vector<std::string> changed;
};

// ---- the state machine, on the logic alone ---

TEST(CommandCore, NewButtonIsEnabledNormalAndUnset) {
  CommandCore core;
  EXPECT_EQ(core.Caption(), std::string("Command"));
  EXPECT_EQ(core.State(), CommandState::Normal);  // writing Enabled redrew it from 0
  EXPECT_EQ(core.Picture(), CommandSkin::Normal);
  EXPECT_EQ(core.FirstRun(), std::uint8_t{0});
  EXPECT_FALSE(core.TimerRunning());
  EXPECT_TRUE(core.Enabled());
  EXPECT_EQ(core.FirstRun(), std::uint8_t{1});  // the first read marks it set up
}

TEST(CommandCore, HoverWithoutFocusAndLeaving) {
  CommandCore core;
  CoreProbe probe(core);
  core.Initialize();
  EXPECT_TRUE(core.TimerRunning());
  core.MouseMove();
  EXPECT_EQ(core.State(), CommandState::HighLight);
  EXPECT_EQ(core.Picture(), CommandSkin::HighLight);
  EXPECT_TRUE(core.GradientInverted());
  EXPECT_FALSE(core.FocusLinesVisible());
  core.TimerTick(true);  // still over it: nothing changes
  EXPECT_EQ(core.State(), CommandState::HighLight);
  core.TimerTick(false);
  EXPECT_EQ(core.State(), CommandState::Normal);
  EXPECT_EQ(core.Picture(), CommandSkin::Normal);
  EXPECT_FALSE(core.GradientInverted());
  EXPECT_EQ(probe.clicks, 0);
}

TEST(CommandCore, ClickOnHoveredButtonWithoutFocus) {
  CommandCore core;
  CoreProbe probe(core);
  core.Initialize();
  core.MouseMove();
  core.MouseDown(CommandMouseButton::Left);
  EXPECT_EQ(core.Picture(), CommandSkin::Pressed);
  EXPECT_TRUE(core.ButtonDown());
  EXPECT_EQ(core.State(), CommandState::HighLight);
  core.MouseUp(CommandMouseButton::Left);
  EXPECT_EQ(core.Picture(), CommandSkin::Normal);  // not HighLight
  EXPECT_EQ(core.State(), CommandState::HighLight);
  EXPECT_FALSE(core.ButtonDown());
  EXPECT_EQ(probe.clicks, 1);
}

// A press the view loses the mouse from (another window took it) ends
// without a click and leaves the focused hover state reachable again.
TEST(CommandCore, CancelledPressDoesNotClickAndFreesTheHoverState) {
  CommandCore core;
  CoreProbe probe(core);
  core.Initialize();
  core.MouseMove();
  core.GotFocus();
  core.MouseDown(CommandMouseButton::Left);
  core.TimerTick(false);  // the mouse went elsewhere: 4 -> 3
  ASSERT_EQ(core.State(), CommandState::Selected);
  core.PressCancelled();
  EXPECT_FALSE(core.ButtonDown());
  EXPECT_EQ(core.Picture(), CommandSkin::Selected);
  EXPECT_EQ(probe.clicks, 0);
  core.MouseMove();
  EXPECT_EQ(core.State(), CommandState::HighLightSelect);
  const int paints = probe.paints;
  core.PressCancelled();  // nothing pressed: nothing to do
  EXPECT_EQ(probe.paints, paints);
}

TEST(CommandCore, FocusArrivingWhileHoveredShowsPressed) {
  CommandCore core;
  core.Initialize();
  core.MouseMove();
  core.GotFocus();
  EXPECT_EQ(core.State(), CommandState::HighLightSelect);
  EXPECT_EQ(core.Picture(), CommandSkin::Pressed);
  EXPECT_TRUE(core.FocusLinesVisible());
  core.LostFocus();
  EXPECT_EQ(core.State(), CommandState::Normal);
  EXPECT_FALSE(core.FocusLinesVisible());
}

TEST(CommandCore, FocusWithoutMouseThenHover) {
  CommandCore core;
  core.Initialize();
  core.GotFocus();
  EXPECT_EQ(core.State(), CommandState::Selected);
  EXPECT_EQ(core.Picture(), CommandSkin::Selected);
  EXPECT_TRUE(core.FocusLinesVisible());
  core.MouseMove();
  EXPECT_EQ(core.State(), CommandState::HighLightSelect);
  EXPECT_EQ(core.Picture(), CommandSkin::HighLightSelect);
  core.TimerTick(false);
  EXPECT_EQ(core.State(), CommandState::Selected);
}

TEST(CommandCore, MouseMoveWhileHeldDoesNotLeaveSelected) {
  CommandCore core;
  core.Initialize();
  core.GotFocus();
  core.MouseDown(CommandMouseButton::Left);
  core.MouseMove();
  EXPECT_EQ(core.State(), CommandState::Selected);
  EXPECT_EQ(core.Picture(), CommandSkin::Pressed);
}

TEST(CommandCore, ReleaseAfterLeavingDependsOnTheTick) {
  struct Case {
    bool tickBeforeRelease;
    int clicks;
    int state;
  };
  // A tick that moved 4 to 3: no click; a release within the same 100 ms: click.
  for (const auto [tickBeforeRelease, clicks, state] : {Case{true, 0, 3}, Case{false, 1, 4}}) {
    CommandCore core;
    CoreProbe probe(core);
    core.Initialize();
    core.MouseMove();     // 2
    core.GotFocus();      // pressing gives the focus: 4
    core.MouseDown(CommandMouseButton::Left);
    if (tickBeforeRelease) core.TimerTick(false);  // the mouse has left
    core.MouseUp(CommandMouseButton::Left);
    EXPECT_EQ(probe.clicks, clicks) << "tick before release: " << tickBeforeRelease;
    EXPECT_EQ(static_cast<int>(core.State()), state);
    EXPECT_FALSE(core.ButtonDown());
  }
}

TEST(CommandCore, RightButtonReleaseClicksWithoutPressedLook) {
  CommandCore core;
  CoreProbe probe(core);
  core.Initialize();
  core.MouseMove();
  core.MouseDown(CommandMouseButton::Right);
  EXPECT_FALSE(core.ButtonDown());
  EXPECT_EQ(core.Picture(), CommandSkin::HighLight);
  core.MouseUp(CommandMouseButton::Right);
  EXPECT_EQ(probe.clicks, 1);
  EXPECT_EQ(core.Picture(), CommandSkin::HighLight);
}

TEST(CommandCore, ReleaseOnFocusedButtonWithMouseAwayDoesNotClick) {
  CommandCore core;
  CoreProbe probe(core);
  core.Initialize();
  core.GotFocus();  // 3, e.g. reached with Tab
  core.MouseUp(CommandMouseButton::Middle);
  EXPECT_EQ(probe.clicks, 0);
}

TEST(CommandCore, AccessKeyClicksAndLeavesStateFour) {
  CommandCore core;
  CoreProbe probe(core);
  core.SetCaption("&Register");
  EXPECT_EQ(core.AccessKey(), std::string("R"));
  core.Initialize();
  core.AccessKeyPress();
  EXPECT_EQ(probe.clicks, 1);
  EXPECT_EQ(core.State(), CommandState::HighLightSelect);
  EXPECT_EQ(core.Picture(), CommandSkin::HighLightSelect);
}

TEST(CommandCore, AccessKeyFollowsTheFirstAmpersand) {
  CommandCore core;
  core.SetCaption("Re&gister &ActiveX");
  EXPECT_EQ(core.AccessKey(), std::string("g"));
  core.SetCaption("Browse");  // no ampersand: the previous key stays
  EXPECT_EQ(core.AccessKey(), std::string("g"));
  core.SetCaption("A && B");
  EXPECT_EQ(core.AccessKey(), std::string("&"));
  core.SetCaption("End&");
  EXPECT_EQ(core.AccessKey(), std::string());
}

// A key outside ASCII is one whole UTF-8 character: its continuation bytes
// and no more, even when another non-ASCII character follows at once.
TEST(CommandCore, AccessKeyIsOneWholeCharacter) {
  const struct {
    const char* caption;
    const char* key;
  } cases[] = {
      {"&\xC3\x9C" "ber", "\xC3\x9C"},
      {"&\xC3\x9C\xC3\x96l", "\xC3\x9C"},          // two 2-byte characters in a row
      {"&a\xC3\xA9", "a"},                          // ASCII key, then a lead byte
      {"&\xE2\x82\xAC\xE2\x82\xAC", "\xE2\x82\xAC"},  // 3-byte characters
      {"x&\xF0\x9F\x98\x80\xC3\xA9", "\xF0\x9F\x98\x80"},
  };
  for (const auto& c : cases) {
    CommandCore core;
    core.SetCaption(c.caption);
    EXPECT_EQ(core.AccessKey(), std::string(c.key)) << c.caption;
  }
}

TEST(CommandCore, DisabledButtonIgnoresEverythingButTheTimer) {
  CommandCore core;
  CoreProbe probe(core);
  core.SetCaption("&Register");
  core.SetEnabled(false);
  EXPECT_EQ(core.State(), CommandState::Disable);
  EXPECT_EQ(core.Picture(), CommandSkin::Disable);
  EXPECT_EQ(core.ForeColour(), kCommandDisabledText);
  EXPECT_EQ(core.AccessKey(), std::string());
  core.MouseMove();
  core.MouseDown(CommandMouseButton::Left);
  core.MouseUp(CommandMouseButton::Left);
  core.MouseUp(CommandMouseButton::Right);
  core.GotFocus();
  core.AccessKeyPress();
  EXPECT_EQ(probe.clicks, 0);
  EXPECT_EQ(core.State(), CommandState::Disable);
  EXPECT_FALSE(core.ButtonDown());

  // Initialising a disabled button puts it in Normal; the next tick with the
  // mouse elsewhere shows it disabled again.
  core.Initialize();
  EXPECT_EQ(core.State(), CommandState::Normal);
  core.TimerTick(false);
  EXPECT_EQ(core.State(), CommandState::Disable);
  EXPECT_EQ(core.Picture(), CommandSkin::Disable);

  core.SetEnabled(true);
  EXPECT_EQ(core.State(), CommandState::Normal);
  EXPECT_EQ(core.AccessKey(), std::string("R"));
  EXPECT_EQ(core.ForeColour(), 0u);
}

TEST(CommandCore, PropertyWritesSignalTheirNames) {
  CommandCore core;
  CoreProbe probe(core);
  core.SetCaption("x");
  core.SetEnabled(true);
  core.SetFontFace("Tahoma");
  core.SetFontColour(0xFF);
  core.SetVisible(0);
  const std::vector<std::string> expected = {"Caption", "Enabled", "Font", "FontColour", "Visible"};
  EXPECT_EQ(probe.changed, expected);
}

TEST(CommandCore, VisibleIsTheBackgroundStyle) {
  CommandCore core;
  CoreProbe probe(core);
  EXPECT_EQ(core.Visible(), std::uint8_t{255});
  core.SetVisible(0);
  EXPECT_EQ(core.Visible(), std::uint8_t{0});
  EXPECT_EQ(probe.paints, 0);  // made transparent without a redraw
  core.SetVisible(7);
  EXPECT_EQ(core.Visible(), std::uint8_t{255});
  EXPECT_EQ(probe.paints, 1);
}

TEST(CommandCore, FontColourBecomesTheCaptionColour) {
  CommandCore core;
  core.SetFontColour(0x0000FF);
  EXPECT_EQ(core.FontColour(), 0x0000FFu);
  EXPECT_EQ(core.ForeColour(), 0x0000FFu);
}

// ---- stored properties ---

TEST(CommandProperties, WritingTheDefaultCaptionStoresNothing) {
  PropertyBag bag;
  CommandCore written;
  written.WriteProperties(bag, "MS Sans Serif");
  EXPECT_FALSE(bag.Stored("Caption").has_value());
  EXPECT_EQ(bag.Stored("FirstRun").value_or(""), std::string("0"));  // never read yet
  CommandCore read;
  read.ReadProperties(bag, "MS Sans Serif");
  EXPECT_EQ(read.Caption(), std::string("Command1"));
}

TEST(CommandProperties, StoredPropertiesRoundTrip) {
  CommandCore source;
  EXPECT_TRUE(source.Enabled());  // marks it set up: FirstRun 1 is the default
  source.SetCaption("Browse");
  source.SetEnabled(false);
  source.SetFontFace("Tahoma");
  PropertyBag bag;
  source.WriteProperties(bag, "MS Sans Serif");
  EXPECT_EQ(bag.Stored("Caption").value_or(""), std::string("Browse"));
  EXPECT_EQ(bag.Stored("Enabled").value_or(""), std::string("False"));
  EXPECT_EQ(bag.Stored("Font").value_or(""), std::string("Tahoma"));
  EXPECT_FALSE(bag.Stored("FirstRun").has_value());
  // A disabled button's control colour is the grey it paints with.
  EXPECT_EQ(bag.Stored("FontColour").value_or(""), std::to_string(kCommandDisabledText));

  CommandCore copy;
  copy.ReadProperties(bag, "MS Sans Serif");
  EXPECT_EQ(copy.Caption(), std::string("Browse"));
  EXPECT_FALSE(copy.IsEnabled());
  EXPECT_EQ(copy.State(), CommandState::Disable);
  EXPECT_EQ(copy.FontFace(), std::string("Tahoma"));
  EXPECT_EQ(copy.FirstRun(), std::uint8_t{1});
}

TEST(CommandProperties, StoredFontColourDoesNotReachTheCaption) {
  PropertyBag bag;
  bag.WriteProperty("FontColour", "255", "0");
  CommandCore core;
  core.ReadProperties(bag, "MS Sans Serif");
  // The redraw after reading paints with the caption colour member, which
  // reading leaves at black.
  EXPECT_EQ(core.ForeColour(), 0u);
}

TEST(CommandProperties, MissingFontTakesTheContainersFace) {
  PropertyBag bag;
  CommandCore core;
  core.ReadProperties(bag, "Container Face");
  EXPECT_EQ(core.FontFace(), std::string("Container Face"));
  EXPECT_TRUE(core.IsEnabled());
  EXPECT_EQ(core.Visible(), std::uint8_t{255});
}

TEST(CommandProperties, WritingADefaultForgetsAnOlderValue) {
  PropertyBag bag;
  bag.WriteProperty("Caption", "Old", "Command");
  bag.WriteProperty("Caption", "Command", "Command");
  EXPECT_FALSE(bag.Stored("Caption").has_value());
  EXPECT_EQ(bag.ReadProperty("Caption", "Command1"), std::string("Command1"));
}

// ---- geometry and drawing ---

TEST(CommandGeometry, SlicesOfAButton1200TwipsWide) {
  const auto slices = FrameSlices(80, 21);
  EXPECT_EQ(slices[1].destination.width * kTwipsPerPixel, 1080);  // top
  EXPECT_EQ(slices[5].destination.width * kTwipsPerPixel, 1080);  // bottom
  EXPECT_EQ(slices[0].destination.x, 0);
  EXPECT_EQ(slices[2].destination.x, 76);                        // W - 60 twips
  EXPECT_EQ(slices[3].destination.height, 13);                   // H - 120 twips
  // The bottom-right slice asks for 105 twips but the picture ends first.
  EXPECT_EQ(slices[4].source.height, 4);
  EXPECT_EQ(slices[4].destination.y, 17);
  for (const auto& slice : slices) {
    EXPECT_TRUE(slice.source.x + slice.source.width <= kSkinWidth) << slice.name;
    EXPECT_TRUE(slice.source.y + slice.source.height <= kSkinHeight) << slice.name;
  }
}

TEST(CommandGeometry, FocusLinesLieInsideTheFrame) {
  const auto lines = FocusLines(80, 21);
  EXPECT_EQ(lines[0].x1, 4);   // 60 twips in from the left
  EXPECT_EQ(lines[1].y1, 4);   // and from the top
  EXPECT_EQ(lines[2].x1, 75);  // 70 twips in from the right
  EXPECT_EQ(lines[3].y1, 16);  // and from the bottom
  EXPECT_EQ(lines[1].x2, 76);
}

TEST(CommandGeometry, CaptionCentringRoundsHalvesToEven) {
  EXPECT_EQ(CaptionTop(21, 13), 4);
  EXPECT_EQ(CaptionTop(21, 12), 4);  // 4.5 -> 4
  EXPECT_EQ(CaptionTop(21, 10), 6);  // 5.5 -> 6
  EXPECT_EQ(CaptionTop(10, 30), -10);
}

}  // namespace
}  // namespace korvane::ui
