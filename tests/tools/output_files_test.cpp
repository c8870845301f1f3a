// The tool's one way of writing files: an output lands whole on commit and
// only then; an uncommitted or failed run leaves the earlier file and no
// temporary or scratch file behind.
#include "tools/io/output_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/io/output_paths.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace sfqp::io {
namespace {

namespace fs = std::filesystem;

class OutputFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) /
           ("sfqp_output_files_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    std::ofstream(dir_ / "run.csv") << "earlier\n";
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::vector<std::string> files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string text(const std::string& name) const {
    std::ifstream in(dir_ / name);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }

  fs::path dir_;
};

TEST_F(OutputFilesTest, AnUncommittedRunLeavesTheEarlierFileAndNoTemporary) {
  fs::path scratch;
  {
    OutputFiles outputs;
    outputs.open(dir_ / "run.csv") << "half a run";
    outputs.open(dir_ / "new.json") << "{}";
    outputs.open_scratch(".csv", scratch) << "plot data";
    EXPECT_EQ(files().size(), 3u);  // the earlier file and two hidden temporaries
    EXPECT_TRUE(fs::exists(scratch));
  }
  EXPECT_EQ(files(), std::vector<std::string>{"run.csv"});
  EXPECT_EQ(text("run.csv"), "earlier\n");
  EXPECT_FALSE(fs::exists(scratch));
}

TEST_F(OutputFilesTest, CommitMovesEveryOutputIntoPlaceWhole) {
  fs::path scratch;
  OutputFiles outputs;
  outputs.open(dir_ / "run.csv") << "the new run\n";
  outputs.open_scratch(".csv", scratch) << "plot data";
  const fs::path picture = outputs.reserve(dir_ / "run.png");
  EXPECT_EQ(picture.extension(), ".png");       // a plotting program picks its format by it
  EXPECT_THROW(outputs.commit(), OutputError);  // nobody wrote the picture
  EXPECT_EQ(text("run.csv"), "earlier\n");

  OutputFiles again;
  again.open(dir_ / "run.csv") << "the new run\n";
  std::ofstream(again.reserve(dir_ / "run.png")) << "png";
  again.commit();
  EXPECT_EQ(files(), (std::vector<std::string>{"run.csv", "run.png"}));
  EXPECT_EQ(text("run.csv"), "the new run\n");
}

// One run's outputs are one transaction: when a later output cannot be moved
// into place, the earlier ones are put back and the message says so.
TEST_F(OutputFilesTest, AFailedMoveIntoPlacePutsTheEarlierOutputsBack) {
  std::ofstream(dir_ / "summary.json") << "earlier summary\n";
  {
    OutputFiles outputs;
    outputs.open(dir_ / "new.csv") << "a new file\n";
    outputs.open(dir_ / "run.csv") << "the new run\n";
    outputs.open(dir_ / "summary.json") << "the new summary\n";
    // Something else puts a folder with a file in it where the summary goes.
    fs::remove(dir_ / "summary.json");
    fs::create_directories(dir_ / "summary.json");
    std::ofstream(dir_ / "summary.json" / "theirs") << "theirs\n";
    try {
      outputs.commit();
      ADD_FAILURE() << "the commit reported success";
    } catch (const OutputError& error) {
      EXPECT_THAT(error.what(), ::testing::HasSubstr("summary.json: cannot move into place: "));
      EXPECT_THAT(
          error.what(),
          ::testing::EndsWith("(no output was replaced: the files moved before were put back)"));
    }
  }
  EXPECT_EQ(files(), (std::vector<std::string>{"run.csv", "summary.json"}));
  EXPECT_EQ(text("run.csv"), "earlier\n");
  EXPECT_EQ(text("summary.json/theirs"), "theirs\n");
}

#if !defined(_WIN32)
// An output named through a descriptor (`--summary /dev/stdout >> log.txt`)
// is written through it: the file behind it keeps its earlier lines.
TEST_F(OutputFilesTest, AnOutputNamedByADescriptorIsWrittenThroughIt) {
  const int log = ::open((dir_ / "run.csv").c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(log, 0);
  const std::string named = "/dev/fd/" + std::to_string(log);
  ASSERT_EQ(check_output_paths({{"--summary", named}}, {}), std::nullopt);
  fs::create_symlink("/proc/self/fd/" + std::to_string(log), dir_ / "link.json");
  {
    OutputFiles outputs;
    outputs.open(named) << "appended\n";
    outputs.open(dir_ / "link.json") << "through a link\n";
    EXPECT_EQ(text("run.csv"), "earlier\n");  // nothing before the commit
    outputs.commit();
  }
  ::close(log);
  EXPECT_EQ(text("run.csv"), "earlier\nappended\nthrough a link\n");
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.json"));
  EXPECT_EQ(files(), (std::vector<std::string>{"link.json", "run.csv"}));
}

TEST(OutputPaths, DescriptorsAndPlacesNoFileCanBeCreatedAreRefusedBeforeTheRun) {
  const int reading = ::open("/dev/null", O_RDONLY);
  ASSERT_GE(reading, 0);
  const std::string closed = "/dev/fd/" + std::to_string(reading + 100);
  const std::vector<std::pair<std::vector<PlannedOutput>, std::string>> cases = {
      {{{"--summary", closed}}, "is closed"},
      {{{"--summary", "/dev/fd/" + std::to_string(reading)}}, "is open for reading only"},
      {{{"--output", "-"}, {"--summary", "/dev/stdout"}},
       "--summary /dev/stdout: is also standard output, as --output is; one output each"},
      {{{"--summary", "/proc/no-such-file.json"}},
       "--summary /proc/no-such-file.json: cannot create"},
      {{{"--summary", "/sys/no-such-file.json"}}, "cannot create a file in the folder /sys"},
      {{{"--output", std::string("no\x1b[2J\n/run.csv")}},
       "--output \"no\\x1b[2J\\n/run.csv\": the folder \"no\\x1b[2J\\n\" does not exist"},
  };
  for (const auto& [outputs, message] : cases) {
    const auto error = check_output_paths(outputs, {});
    ASSERT_TRUE(error.has_value()) << message;
    EXPECT_THAT(*error, ::testing::HasSubstr(message));
  }
  ::close(reading);
}
#endif

}  // namespace
}  // namespace sfqp::io
