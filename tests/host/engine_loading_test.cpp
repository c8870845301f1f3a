// Loading modules: files that are not modules are refused with a reason that
// names them.
#include <gtest/gtest.h>

#include "host/engine/engine.h"

namespace sfqp::test {
namespace {

std::string load_error(const std::string& path) {
  try {
    host::Module::load(path);
  } catch (const host::EngineError& error) {
    return error.what();
  }
  return {};
}

TEST(ModuleLoading, MissingFileIsRefused) {
  const std::string message = load_error("/nonexistent/sfqpsolv.mexa64");
  EXPECT_NE(message.find("cannot load module /nonexistent/sfqpsolv.mexa64"), std::string::npos)
      << message;
}

TEST(ModuleLoading, LibraryWithoutMexFunctionIsRefused) {
  const std::string message = load_error(SFQP_NOT_A_MODULE);
  EXPECT_NE(message.find("has no mexFunction"), std::string::npos) << message;
  host::Model model;
  EXPECT_THROW(model.add_block(SFQP_NOT_A_MODULE), host::EngineError);
  EXPECT_EQ(model.block_count(), 0u);
}

}  // namespace
}  // namespace sfqp::test
