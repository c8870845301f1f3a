// Loading modules: files that are not modules are refused with a reason that
// names them.
#include <gtest/gtest.h>

#include <string>

#include "host/engine/engine.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

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

#if !defined(_WIN32)
// Only a regular file can be a module: a FIFO with no writer, which the loader
// would wait on for ever, or a device, are refused at once and named.
TEST(ModuleLoading, AFileThatIsNotARegularFileIsRefusedAtOnce) {
  const std::string fifo = ::testing::TempDir() + "sfqp_module_fifo_" + std::to_string(::getpid());
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string from_fifo = load_error(fifo);
  ::unlink(fifo.c_str());
  EXPECT_NE(from_fifo.find("not a module file but a FIFO"), std::string::npos) << from_fifo;
  EXPECT_NE(load_error("/dev/zero").find("not a module file but a character device"),
            std::string::npos);
  EXPECT_NE(load_error("/").find("not a module file but a directory"), std::string::npos);
}
#endif

TEST(ModuleLoading, LibraryWithoutMexFunctionIsRefused) {
  const std::string message = load_error(SFQP_NOT_A_MODULE);
  EXPECT_NE(message.find("has no mexFunction"), std::string::npos) << message;
  host::Model model;
  EXPECT_THROW(model.add_block(SFQP_NOT_A_MODULE), host::EngineError);
  EXPECT_EQ(model.block_count(), 0u);
}

}  // namespace
}  // namespace sfqp::test
