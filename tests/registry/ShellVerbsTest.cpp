// The context-menu verbs: the keys and command texts written and removed,
// the presence test and the main window's toggle with its captions and message.

#include <algorithm>
#include <filesystem>

#include "platform/Process.h"
#include "registry/ShellVerbs.h"
#include "StoreFixture.h"
#include "support/RecordingUserPort.h"

namespace korvane::test {
namespace {

using namespace korvane::platform;

const std::string kExe = "/opt/Korvane Tools/korvane";

// The default value of a key below HKEY_CLASSES_ROOT as text ("<none>" when
// there is no such value, "<no key>" when there is no key).
std::string CommandOf(const std::string& path) {
  if (!Exists(kHKeyClassesRoot, path)) return "<no key>";
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  if (Get(kHKeyClassesRoot, path, "", &type, &data) != 0) return "<none>";
  EXPECT_EQ(type, kRegSz) << path;
  return std::string(data.begin(), data.end());
}

void SetClassOf(const std::string& extension, const std::string& fileClass) {
  ASSERT_EQ(Put(kHKeyClassesRoot, extension, "", kRegSz, Bytes(fileClass + '\0')), 0);
}

struct Captions {
  std::string label = "unset";
  std::string button = "unset";
  ShellCaptions Setters() {
    return {[this](const std::string& s) { label = s; },
            [this](const std::string& s) { button = s; }};
  }
};

class ShellVerbs : public FreshStore {
 protected:
  RecordingUserPort port_;
};

TEST_F(ShellVerbs, EnablingWritesTheThreeFileVerbsOfEachClassAndTheFolderVerb) {
  clsRegistry registry;
  for (const char* association : kToggleAssociations) {
    registry.CreateShellAssociation(kExe, association);
  }
  for (const char* fileClass : {"dllfile", "exefile", "ocxfile"}) {
    const std::string shell = std::string(fileClass) + "\\shell\\";
    EXPECT_EQ(CommandOf(shell + "Register\\command"), kExe + " -r \"%1\"" + '\0');
    EXPECT_EQ(CommandOf(shell + "UnRegister\\command"), kExe + " -u \"%1\"" + '\0');
    EXPECT_EQ(CommandOf(shell + "Korvane\\command"), kExe + " \"%1\"" + '\0');
    // The verb keys themselves carry no value: the menu shows their names.
    EXPECT_EQ(CommandOf(shell + "Register"), "<none>");
  }
  EXPECT_EQ(CommandOf("Folder\\shell\\ActiveX Report\\command"), kExe + " -f \"%1\"" + '\0');
  // Nothing went to the extension keys.
  EXPECT_FALSE(Exists(kHKeyClassesRoot, ".dll\\shell"));
  EXPECT_TRUE(registry.Errors().empty());
  EXPECT_TRUE(ShellExtensionsEnabled(registry));
  // The object is left aimed at the last thing it did.
  EXPECT_EQ(registry.ClassKey(), kClassesRoot);
  EXPECT_EQ(registry.SectionKey(), "dllfile\\shell\\Register");
  EXPECT_EQ(registry.ValueType(), 1);
}

TEST_F(ShellVerbs, DisablingRemovesTheVerbsButLeavesTheClassAndShellKeys) {
  clsRegistry registry;
  for (const char* association : kToggleAssociations) {
    registry.CreateShellAssociation(kExe, association);
  }
  for (const char* association : kToggleAssociations) {
    registry.RemoveShellAssociation(kExe, association);
  }
  for (const char* fileClass : {"dllfile", "exefile", "ocxfile"}) {
    const std::string shell = std::string(fileClass) + "\\shell";
    EXPECT_TRUE(Exists(kHKeyClassesRoot, shell)) << shell;
    for (const char* verb : {"Register", "UnRegister", "Korvane"}) {
      EXPECT_FALSE(Exists(kHKeyClassesRoot, shell + "\\" + verb)) << verb;
    }
  }
  EXPECT_TRUE(Exists(kHKeyClassesRoot, "Folder\\shell"));
  EXPECT_FALSE(Exists(kHKeyClassesRoot, "Folder\\shell\\ActiveX Report"));
  EXPECT_TRUE(registry.Errors().empty());
  EXPECT_FALSE(ShellExtensionsEnabled(registry));
}

TEST_F(ShellVerbs, RemovingWhatWasNeverCreatedAttemptsEveryDeletion) {
  clsRegistry registry;
  registry.RemoveShellAssociation(kExe, ".dll");
  ASSERT_EQ(registry.Errors().size(), 6u);
  EXPECT_EQ(registry.Errors()[0].Description(),
            "Failed to delete registry Key: '-2147483648',Section: 'dllfile\\shell\\Register\\command");
  EXPECT_EQ(registry.Errors()[5].Description(),
            "Failed to delete registry Key: '-2147483648',Section: 'dllfile\\shell\\Korvane");
  registry.RemoveShellAssociation(kExe, "FOLDER");
  ASSERT_EQ(registry.Errors().size(), 8u);
  EXPECT_EQ(registry.Errors()[7].Description(),
            "Failed to delete registry Key: '-2147483648',Section: 'FOLDER\\shell\\ActiveX Report");
}

TEST_F(ShellVerbs, ClassesSharedByTwoExtensionsAreWrittenTwiceAndRemovedOnce) {
  SetClassOf(".ocx", "dllfile");
  clsRegistry registry;
  registry.CreateShellAssociation(kExe, ".dll");
  registry.CreateShellAssociation(kExe, ".ocx");
  EXPECT_EQ(CommandOf("dllfile\\shell\\Register\\command"), kExe + " -r \"%1\"" + '\0');
  EXPECT_FALSE(Exists(kHKeyClassesRoot, "ocxfile\\shell"));
  EXPECT_TRUE(registry.Errors().empty());
  registry.RemoveShellAssociation(kExe, ".dll");
  EXPECT_TRUE(registry.Errors().empty());
  EXPECT_FALSE(Exists(kHKeyClassesRoot, "dllfile\\shell\\Register"));
  registry.RemoveShellAssociation(kExe, ".ocx");
  EXPECT_EQ(registry.Errors().size(), 6u);  // the second finds nothing to delete
}

TEST_F(ShellVerbs, AnExtensionWithoutAClassGivesPathsFromTheEmptyName) {
  ASSERT_EQ(Put(kHKeyClassesRoot, ".xyz", "Other", kRegSz, Bytes("x")), 0);
  clsRegistry registry;
  registry.SetValueType(1);
  registry.CreateShellAssociation(kExe, ".xyz");
  // Each path starts with a separator, which the registry refuses; the
  // operation goes on with the next verb regardless.
  ASSERT_EQ(registry.Errors().size(), 3u);
  EXPECT_EQ(registry.Errors()[0].Number(), 26001);
  EXPECT_EQ(registry.Errors()[0].Description(),
            "Failed to set registry value Key: '-2147483648',Section: '\\shell\\Register\\command'"
            ",Key: '' to value: '" + kExe + " -r \"%1\"'");
  EXPECT_EQ(registry.SectionKey(), "\\shell\\Korvane\\command");
  EXPECT_FALSE(Exists(kHKeyClassesRoot, "shell"));
  // A missing extension key behaves the same.
  registry.CreateShellAssociation(kExe, ".nothing");
  EXPECT_EQ(registry.Errors().size(), 6u);
}

TEST_F(ShellVerbs, FolderInAnyLetterCaseIsTheFolderVerbUnderThePathAsPassed) {
  ASSERT_EQ(RegDeleteKey(kHKeyClassesRoot, "Folder"), kErrorSuccess);
  clsRegistry registry;
  registry.SetValueType(1);
  registry.CreateShellAssociation(kExe, "folder");
  EXPECT_EQ(registry.SectionKey(), "folder\\shell\\ActiveX Report\\command");
  EXPECT_EQ(CommandOf("FOLDER\\shell\\ActiveX Report\\command"), kExe + " -f \"%1\"" + '\0');
  HKey root = 0;
  std::vector<std::string> names;
  ASSERT_EQ(RegOpenKeyEx(kHKeyClassesRoot, "", kKeyEnumerateSubKeys, &root), 0);
  std::string name;
  for (std::uint32_t i = 0; RegEnumKey(root, i, &name, 256) == 0; ++i) names.push_back(name);
  RegCloseKey(root);
  EXPECT_NE(std::find(names.begin(), names.end(), "folder"), names.end());
  EXPECT_EQ(std::find(names.begin(), names.end(), "Folder"), names.end());
}

TEST_F(ShellVerbs, TheFolderVerbOfAnObjectThatNeverReadCreatesTheKeyOnly) {
  clsRegistry registry;  // ValueType 0
  registry.CreateShellAssociation(kExe, "Folder");
  EXPECT_EQ(CommandOf("Folder\\shell\\ActiveX Report\\command"), "<none>");
  ASSERT_EQ(registry.Errors().size(), 1u);
  EXPECT_EQ(registry.Errors()[0].Number(), -2147194455);
}

TEST_F(ShellVerbs, TheSwitchAddsNoFolderVerb) {
  clsRegistry registry;
  CreateSwitchAssociations(registry, kExe);
  EXPECT_TRUE(ShellExtensionsEnabled(registry));
  EXPECT_EQ(CommandOf("exefile\\shell\\Korvane\\command"), kExe + " \"%1\"" + '\0');
  EXPECT_EQ(CommandOf("ocxfile\\shell\\UnRegister\\command"), kExe + " -u \"%1\"" + '\0');
  EXPECT_FALSE(Exists(kHKeyClassesRoot, "Folder\\shell"));
  EXPECT_TRUE(port_.boxes.empty());
}

TEST_F(ShellVerbs, PresenceLooksOnlyAtTheRegisterVerbOfTheDllClass) {
  clsRegistry registry;
  EXPECT_FALSE(ShellExtensionsEnabled(registry));
  ASSERT_EQ(Put(kHKeyClassesRoot, "exefile\\shell\\Register\\command", "", kRegSz, {}), 0);
  EXPECT_FALSE(ShellExtensionsEnabled(registry));
  SetClassOf(".dll", "exefile");
  EXPECT_TRUE(ShellExtensionsEnabled(registry));
}

TEST_F(ShellVerbs, StateDisplayFollowsThePresenceTest) {
  clsRegistry registry;
  Captions captions;
  ShowShellState(registry, captions.Setters());
  EXPECT_EQ(captions.button, "Enable");
  EXPECT_EQ(captions.label, "Extensions are Disabled. Click Enable to create Shell Extensions");
  CreateSwitchAssociations(registry, kExe);
  ShowShellState(registry, captions.Setters());
  EXPECT_EQ(captions.button, "Disable");
  EXPECT_EQ(captions.label, "Extensions are Enabled. Click Disable to remove Shell Extensions");
}

TEST_F(ShellVerbs, ToggleEnablesThenDisablesWithCaptionsAndMessages) {
  clsRegistry registry;
  Captions captions;
  ToggleShellExtensions("Enable", &registry, kExe, captions.Setters());
  EXPECT_EQ(captions.label, "Extensions are Enabled. Click Disable to remove Shell Extensions");
  EXPECT_EQ(captions.button, "Disable");
  ASSERT_EQ(port_.boxes.size(), 1u);
  EXPECT_EQ(port_.boxes[0].text, "Shell Extensions Enabled!");
  EXPECT_EQ(port_.boxes[0].flags, kMbOkOnly + kMbIconInformation);
  EXPECT_EQ(port_.boxes[0].title, "Korvane");
  EXPECT_TRUE(ShellExtensionsEnabled(registry));
  EXPECT_EQ(CommandOf("Folder\\shell\\ActiveX Report\\command"), kExe + " -f \"%1\"" + '\0');

  ToggleShellExtensions(captions.button, &registry, kExe, captions.Setters());
  EXPECT_EQ(captions.label, "Extensions are Disabled. Click Enable to create Shell Extensions");
  EXPECT_EQ(captions.button, "Enable");
  ASSERT_EQ(port_.boxes.size(), 2u);
  EXPECT_EQ(port_.boxes[1].text, "Shell Extensions Disabled!");
  EXPECT_EQ(port_.boxes[1].flags, kMbOkOnly + kMbIconInformation);
  EXPECT_FALSE(ShellExtensionsEnabled(registry));
  EXPECT_FALSE(Exists(kHKeyClassesRoot, "Folder\\shell\\ActiveX Report"));
}

TEST_F(ShellVerbs, ToggleReadsItsDirectionFromTheCaptionIgnoringCase) {
  clsRegistry registry;
  Captions captions;
  ToggleShellExtensions("eNABLE", &registry, kExe, captions.Setters());
  EXPECT_TRUE(ShellExtensionsEnabled(registry));
  ToggleShellExtensions("Enable ", &registry, kExe, captions.Setters());  // not "enable": disables
  EXPECT_FALSE(ShellExtensionsEnabled(registry));
  EXPECT_EQ(captions.button, "Enable");
}

TEST_F(ShellVerbs, ToggleShowsItsMessageWhateverTheRegistryDid) {
  clsRegistry registry;
  Captions captions;
  ToggleShellExtensions("Disable", &registry, kExe, captions.Setters());  // nothing to remove
  EXPECT_FALSE(registry.Errors().empty());
  EXPECT_EQ(captions.button, "Enable");
  ASSERT_EQ(port_.boxes.size(), 1u);
  EXPECT_EQ(port_.boxes[0].text, "Shell Extensions Disabled!");
}

TEST_F(ShellVerbs, ToggleWithoutARegistryObjectGoesToTheErrorReport) {
  Captions captions;
  ToggleShellExtensions("Enable", nullptr, kExe, captions.Setters());
  // The label changes first; the failure then skips the rest.
  EXPECT_EQ(captions.label, "Extensions are Enabled. Click Disable to remove Shell Extensions");
  EXPECT_EQ(captions.button, "unset");
  ASSERT_EQ(port_.boxes.size(), 1u);
  EXPECT_EQ(port_.boxes[0].text,
            "cmdShellEX_Click: error 91: Object variable or With block variable not set");
  EXPECT_EQ(port_.boxes[0].flags, kMbOkOnly);
  EXPECT_EQ(port_.boxes[0].title, "Korvane");
  EXPECT_FALSE(Exists(kHKeyClassesRoot, "dllfile\\shell"));
}

TEST_F(ShellVerbs, TheToggleAndTheSwitchCarryTheFileManagersActionsAlong) {
  const std::string kde = Dir().File("xdg-data/kio/servicemenus/korvane-components.desktop");
  const std::string kdeFolders = Dir().File("xdg-data/kio/servicemenus/korvane-folders.desktop");
  clsRegistry registry;
  // The registry's verbs alone are not the whole state.
  for (const char* association : kToggleAssociations) {
    registry.CreateShellAssociation(kExe, association);
  }
  EXPECT_TRUE(ShellExtensionsEnabled(registry));
  EXPECT_FALSE(ShellVerbsPresent(registry));
  Captions captions;
  ShowShellState(registry, captions.Setters());
  EXPECT_EQ(captions.button, "Enable");

  ToggleShellExtensions("Enable", &registry, kExe, captions.Setters());
  EXPECT_TRUE(ShellVerbsPresent(registry));
  EXPECT_NE(ReadFile(kde).find("Exec=\"" + kExe + "\" -r %f"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(kdeFolders));
  ToggleShellExtensions("Disable", &registry, kExe, captions.Setters());
  EXPECT_FALSE(ShellVerbsPresent(registry));
  EXPECT_FALSE(std::filesystem::exists(kde));
  EXPECT_FALSE(std::filesystem::exists(Dir().File("xdg-config/Thunar/uca.xml")));

  // -s: the file verbs only, in the registry and in the file managers.
  CreateSwitchAssociations(registry, kExe);
  EXPECT_TRUE(ShellVerbsPresent(registry));
  EXPECT_TRUE(std::filesystem::exists(kde));
  EXPECT_FALSE(std::filesystem::exists(kdeFolders));
}

TEST_F(ShellVerbs, AFileManagerFileThatCannotBeChangedIsTheTogglesFailure) {
  const std::string uca = Dir().Write("xdg-config/Thunar/uca.xml", "<actions>");
  clsRegistry registry;
  Captions captions;
  EXPECT_FALSE(ToggleShellExtensions("Enable", &registry, kExe, captions.Setters()));
  ASSERT_EQ(port_.boxes.size(), 1u);
  EXPECT_EQ(port_.boxes[0].text.rfind("cmdShellEX_Click: error 5: ", 0), 0u) << port_.boxes[0].text;
  EXPECT_NE(port_.boxes[0].text.find(uca + ": is not a well-formed Thunar action list"), std::string::npos)
      << port_.boxes[0].text;
  EXPECT_EQ(captions.button, "unset");
  EXPECT_FALSE(ShellVerbsPresent(registry));
}

TEST_F(ShellVerbs, VerbsStartTheProgramFileInTheProgramFolder) {
  const std::string path = ShellExePath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path, AppPath() + "korvane");
}

}  // namespace
}  // namespace korvane::test
