// Where the report goes: the permissions of a new report file, symbolic links
// planted at its name, and names that are no regular file.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "TreeHelpers.h"
#include "report/CreateReport.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

constexpr auto kNoLongerThan = std::chrono::seconds(10);

class ReportOutput : public ::testing::Test {
 protected:
  test::TempDir dir;
  std::string tree = dir.path().string() + "/tree";

  void SetUp() override { test::MakeFolder(tree); }

  ReportOutcome Run(const std::string& output) {
    ReportOptions o;
    o.outputFile = output;
    o.showError = false;
    return CreateReport(tree, o);
  }
};

// Sets the process's umask for one scope.
class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : old_(::umask(mask)) {}
  ~ScopedUmask() { ::umask(old_); }

 private:
  mode_t old_;
};

TEST_F(ReportOutput, NewFileGetsReadAndWriteLessTheUmask) {
  const struct {
    mode_t umask;
    mode_t mode;
  } cases[] = {{022, 0644}, {077, 0600}, {027, 0640}, {0, 0666}};
  for (const auto& c : cases) {
    const std::string output = dir.File("mode-" + std::to_string(c.umask) + ".txt");
    {
      ScopedUmask mask(c.umask);
      ASSERT_EQ(Run(output).end, ReportEnd::Finished);
    }
    struct stat st {};
    ASSERT_EQ(::stat(output.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, c.mode) << "umask " << std::oct << c.umask;
  }
}

// Another user than the one running the tests.
constexpr uid_t kOtherUser = 65534;

TEST_F(ReportOutput, LinkAtTheNameIsFollowedOnlyWhenItsOwnerMayDecide) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving a link to another user needs root";
  const uid_t me = ::geteuid();
  const struct {
    const char* what;
    uid_t linkOwner;
    uid_t folderOwner;
    bool sharedFolder;  // sticky and writable for everyone, as /tmp
    bool followed;
  } cases[] = {
      {"own link", me, me, false, true},
      {"own link in a shared folder", me, kOtherUser, true, true},
      {"foreign link in the user's folder", kOtherUser, me, false, false},
      {"foreign link in a shared folder", kOtherUser, me, true, false},
      {"link of the folder's owner", kOtherUser, kOtherUser, true, true},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string folder = dir.File("case" + std::to_string(++n));
    test::MakeFolder(folder);
    const std::string target = dir.File("victim" + std::to_string(n) + ".txt");
    test::MakeFile(target, "keep me");
    const std::string link = folder + "/output.txt";
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    ASSERT_EQ(::lchown(link.c_str(), c.linkOwner, c.linkOwner), 0);
    ASSERT_EQ(::chown(folder.c_str(), c.folderOwner, c.folderOwner), 0);
    ASSERT_EQ(::chmod(folder.c_str(), c.sharedFolder ? 01777 : 0755), 0);

    ReportOutcome r = Run(link);
    if (c.followed) {
      EXPECT_EQ(r.end, ReportEnd::Finished) << c.what;
      EXPECT_EQ(test::ReadFile(target), "") << c.what;  // the empty report went there
    } else {
      EXPECT_EQ(r.end, ReportEnd::Failed) << c.what;
      EXPECT_EQ(r.errorNumber, 75) << c.what;
      EXPECT_EQ(test::ReadFile(target), "keep me") << c.what;
    }
  }

  // A foreign link that points nowhere does not create its target either.
  const std::string dangling = dir.File("dangling.txt");
  const std::string nowhere = dir.File("created-through-the-link.txt");
  ASSERT_EQ(::symlink(nowhere.c_str(), dangling.c_str()), 0);
  ASSERT_EQ(::lchown(dangling.c_str(), kOtherUser, kOtherUser), 0);
  EXPECT_EQ(Run(dangling).end, ReportEnd::Failed);
  EXPECT_FALSE(std::filesystem::exists(nowhere));
}

TEST_F(ReportOutput, NameThatIsNoRegularFileIsRefusedAtOnce) {
  const std::string fifo = dir.File("fifo.txt");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);  // nobody ever reads it
  const std::string folderLink = dir.File("folder-link.txt");
  ASSERT_EQ(::symlink(tree.c_str(), folderLink.c_str()), 0);
  for (const std::string& output : {fifo, std::string("/dev/null"), folderLink}) {
    const int error = test::RunBounded(kNoLongerThan, [&] {
      ReportOutcome r = Run(output);
      return r.end == ReportEnd::Failed ? static_cast<int>(r.errorNumber) : 0;
    });
    EXPECT_EQ(error, 75) << output;
  }
}

}  // namespace
}  // namespace korvane
