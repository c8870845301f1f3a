// A fixture whose every test gets a folder of its own under the temporary
// folder, removed after the test. The name holds the test's name and the
// process id, so that builds testing at the same time (another preset,
// another checkout) never write into each other's folders.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace sfqp::test {

class ScratchFolderTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The file `name` in the test's folder.
  std::string path(const std::string& name) const;

  std::filesystem::path dir_;
};

}  // namespace sfqp::test
