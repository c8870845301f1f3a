// Host records the module must not trust blindly: model names that are not the
// block's (short, long, one character off), and a record handle or record
// whose version is not the host ABI's.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

#include "host/engine/engine.h"
#include "interfaces/host_abi/simstruct.h"

namespace sfqp::test {
namespace {

constexpr std::size_t kMessageLimit = 255;

std::string name_mismatch_text(const std::string& name) {
  const std::string full =
      "S-function name mismatch. Name in source is \"#define S_FUNCTION_NAME sfqpsolv\", whereas "
      "name of the S-function MEX file is \"" +
      name + "\". The source needs to be updated";
  return full.substr(0, kMessageLimit);
}

// The text the module raised during set-up, from the engine's error.
std::string raised_text(const host::EngineError& error) {
  const std::string what = error.what();
  const std::size_t start = what.find("S-function name mismatch");
  return start == std::string::npos ? what : what.substr(start);
}

TEST(ModelNames, OnlyTheBlocksOwnNameIsAccepted) {
  const std::string names[] = {
      "s",                                 // 1 character
      "sfqpsol",                           // the block name less its last character
      "sfqpsolw",                          // 8 characters, one of them wrong
      "sfqpsolvx",                         // 9 characters: the block name and one more
      "sfqpsolv" + std::string(292, 'x'),  // 300 characters
  };
  for (const std::string& name : names) {
    SCOPED_TRACE(testing::Message() << name.size() << " characters");
    host::Model model;
    host::BlockOptions options;
    options.model_name = name;
    try {
      model.add_block(host::default_module_path(), std::move(options));
      ADD_FAILURE() << "a record named \"" << name << "\" was accepted";
    } catch (const host::EngineError& error) {
      const std::string raised = raised_text(error);
      EXPECT_LE(raised.size(), kMessageLimit);
      EXPECT_EQ(raised, name_mismatch_text(name));
    }
  }
  host::Model model;
  host::BlockOptions options;
  options.model_name = "sfqpsolv";
  EXPECT_NO_THROW(model.add_block(host::default_module_path(), std::move(options)));
}

class RecordVersion : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = host::Module::load(host::default_module_path());
    block_ = &model_.add_block(host::default_module_path());
  }

  // A MEX-mode call whose second argument carries the block's record address
  // and the given version.
  host::MexCall call_with_version(double version) {
    const auto address = reinterpret_cast<std::uintptr_t>(block_->record());
    const double words[3] = {
        static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(address))),
        static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(address >> 32))),
        version};
    const host::ArrayPtr empty = host::make_empty();
    const host::ArrayPtr handle = host::make_double(3, 1, words);
    const host::ArrayPtr flag = host::make_scalar(0.0);
    return module_->call(1, {empty.get(), handle.get(), empty.get(), flag.get()});
  }

  std::vector<double> fresh_record_sizes() {
    const host::ArrayPtr empty = host::make_empty();
    const host::ArrayPtr flag = host::make_scalar(0.0);
    const host::MexCall call =
        module_->call(1, {empty.get(), empty.get(), empty.get(), flag.get()});
    EXPECT_FALSE(call.error);
    const auto values = host::doubles(call.outputs.at(0).get());
    return {values.begin(), values.end()};
  }

  std::shared_ptr<host::Module> module_;
  host::Model model_;
  host::Block* block_ = nullptr;
};

TEST_F(RecordVersion, AWrongVersionLeavesTheHostRecordAlone) {
  const std::vector<double> fresh = fresh_record_sizes();
  ASSERT_EQ(fresh.size(), 40u);
  const double wrong_versions[] = {8480228.0,
                                   8480230.0,
                                   8480229.5,
                                   8480229.0 + 1e-9,
                                   0.0,
                                   -8480229.0,
                                   std::numeric_limits<double>::quiet_NaN(),
                                   std::numeric_limits<double>::infinity()};
  for (const double version : wrong_versions) {
    SCOPED_TRACE(testing::Message() << "version " << version);
    SimStruct before{};
    std::memcpy(&before, block_->record(), sizeof before);
    const host::MexCall call = call_with_version(version);
    ASSERT_FALSE(call.error) << *call.error;
    const auto sizes = host::doubles(call.outputs.at(0).get());
    EXPECT_EQ(std::vector<double>(sizes.begin(), sizes.end()), fresh)
        << "the module answers for a record of its own";
    EXPECT_EQ(std::memcmp(&before, block_->record(), sizeof before), 0)
        << "the host's record was written";
  }
}

TEST_F(RecordVersion, AWrongVersionInTheRecordIsOverwritten) {
  block_->record()->sizes[ss_size::kVersion] = 8480228;
  const host::MexCall call = call_with_version(8480229.0);
  ASSERT_FALSE(call.error) << *call.error;
  EXPECT_EQ(block_->record()->sizes[ss_size::kVersion], kSimStructVersion);
  EXPECT_EQ(host::doubles(call.outputs.at(0).get())[19], 8480229.0);
}

}  // namespace
}  // namespace sfqp::test
