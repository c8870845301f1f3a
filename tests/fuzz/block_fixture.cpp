#include "tests/fuzz/block_fixture.h"

namespace sfqp::fuzz {

const std::shared_ptr<sfqp::host::Module>& module() {
  static const std::shared_ptr<sfqp::host::Module> loaded =
      sfqp::host::Module::load(sfqp::host::default_module_path());
  return loaded;
}

}  // namespace sfqp::fuzz
