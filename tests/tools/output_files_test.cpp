// The tool's one way of writing files: an output lands whole on commit and
// only then; an uncommitted or failed run leaves the earlier file and no
// temporary or scratch file behind.
#include "tools/io/output_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

}  // namespace
}  // namespace sfqp::io
