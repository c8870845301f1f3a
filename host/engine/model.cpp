// A model: the blocks of one simulation and its steps.
#include "host/engine/engine.h"
#include "host/runtime/host_memory.h"

namespace sfqp::host {

Model::Model() : memory_(std::make_unique<HostMemory>()) {}

Model::~Model() = default;

Block& Model::add_block(const std::string& module_path, BlockOptions options) {
  std::shared_ptr<Module> module;
  for (const auto& loaded : modules_) {
    if (loaded->path() == module_path) {
      module = loaded;
    }
  }
  if (!module) {
    module = Module::load(module_path);
    modules_.push_back(module);
  }
  std::unique_ptr<Block> block(new Block(module, std::move(options), *memory_));
  block->set_up();
  blocks_.push_back(std::move(block));
  return *blocks_.back();
}

void Model::step() {
  for (std::size_t i = 0; i < blocks_.size(); ++i) {
    if (!blocks_[i]->output_step()) {
      throw SimulationError(i, blocks_[i]->error_status().value_or("unknown error"));
    }
  }
  ++steps_;
}

}  // namespace sfqp::host
