// Outputs that name an open descriptor rather than a file: "-" (standard
// output), /dev/stdout, /dev/stderr, /dev/fd/N and /proc/self/fd/N (or
// /proc/PID/fd/N for this process), also through links to them. Such an output
// is written through the descriptor when the run has succeeded; it is never
// replaced by a rename, which would put a new file in place of whatever the
// descriptor shows (`--summary /dev/stdout >> log.txt` would lose log.txt).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace sfqp::io {

// The descriptor an output names, or nothing for an ordinary path. Only the
// name and the links it goes through are looked at; whether the descriptor is
// open is check_output_descriptor's question.
std::optional<int> output_descriptor(const std::filesystem::path& path);

// What keeps descriptor from taking an output (it is closed, or open for
// reading only), or nothing.
std::optional<std::string> check_output_descriptor(int descriptor);

// How a descriptor is named in messages: "standard output", "descriptor 3".
std::string descriptor_name(int descriptor);

// Copies the whole of file to descriptor. On failure, says why (what was
// copied before the failure stays written).
std::optional<std::string> copy_to_descriptor(const std::filesystem::path& file, int descriptor);

}  // namespace sfqp::io
