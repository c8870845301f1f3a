#include "tests/support/scratch_folder.h"

#if defined(_WIN32)
#include <process.h>
#define sfqp_process_id _getpid
#else
#include <unistd.h>
#define sfqp_process_id getpid
#endif

namespace sfqp::test {

void ScratchFolderTest::SetUp() {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  dir_ = std::filesystem::temp_directory_path() /
         ("sfqp_" + std::string(test->test_suite_name()) + "_" + test->name() + "_" +
          std::to_string(sfqp_process_id()));
  std::filesystem::create_directories(dir_);
}

void ScratchFolderTest::TearDown() {
  std::filesystem::remove_all(dir_);
}

std::string ScratchFolderTest::path(const std::string& name) const {
  return (dir_ / name).string();
}

}  // namespace sfqp::test
