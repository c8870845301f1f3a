// The port signal buffers of one block, laid out in one allocation with guard
// words on both sides of each, attached to the block's record in place of the
// engine's own buffers. A step that writes past a port, or writes anything but
// output 1, shows up in fault().
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct SimStruct_tag;

namespace sfqp::test {

class GuardedPorts {
 public:
  // The block's five inputs (64, 1, 1, 1, 1 doubles) and two outputs (16, 1).
  GuardedPorts();

  // Points the record's port signals at these buffers. Returns false, and
  // changes nothing, unless the record declares the block's ports with their
  // widths.
  bool attach(SimStruct_tag* record);

  std::span<double> input(int port);
  std::span<double> output(int port);

  // Fills output 1 with NaNs, so that a step that leaves any element
  // unwritten is caught, and remembers every other word.
  void arm();
  // What changed since arm() besides output 1, or nothing.
  std::optional<std::string> fault() const;

 private:
  struct Region {
    std::size_t offset;
    std::size_t count;
  };
  std::vector<double> words_;  // guards, then each port followed by guards
  std::vector<double> armed_;
  std::vector<Region> inputs_;
  std::vector<Region> outputs_;
};

}  // namespace sfqp::test
