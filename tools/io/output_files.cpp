#include "tools/io/output_files.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "tools/io/stop_signals.h"

#if defined(_WIN32)
#include <process.h>
#else
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace sfqp::io {

namespace fs = std::filesystem;

namespace {

// The temporary files a stop signal removes. A signal handler may only read
// plain memory and call async-signal-safe functions, so the paths sit in fixed
// slots as C strings owned by the entries that register them.
constexpr std::size_t kSlotCount = 64;
std::atomic<const char*> temporary_slots[kSlotCount];
std::atomic<long> helper_process{0};

void remove_file_now(const char* path) {
#if defined(_WIN32)
  std::remove(path);
#else
  ::unlink(path);
#endif
}

extern "C" void remove_temporaries_and_stop(int signal_number) {
#if !defined(_WIN32)
  if (const long helper = helper_process.load(); helper > 0) {
    ::kill(static_cast<pid_t>(helper), SIGKILL);
    ::waitpid(static_cast<pid_t>(helper), nullptr, 0);
  }
#endif
  for (auto& slot : temporary_slots) {
    if (const char* path = slot.load()) {
      remove_file_now(path);
    }
  }
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

// Installed once, for each stop signal, unless the process was started with
// the signal ignored (nohup, a shell's background job): that choice stays.
void install_stop_handlers() {
  static const bool installed = [] {
    for (const int signal_number : kStopSignals) {
      const auto previous = std::signal(signal_number, remove_temporaries_and_stop);
      if (previous == SIG_IGN) {
        std::signal(signal_number, SIG_IGN);
      }
    }
    return true;
  }();
  (void)installed;
}

std::size_t register_temporary(const char* path) {
  install_stop_handlers();
  for (std::size_t k = 0; k < kSlotCount; ++k) {
    const char* empty = nullptr;
    if (temporary_slots[k].compare_exchange_strong(empty, path)) {
      return k;
    }
  }
  throw OutputError("too many output files at once");
}

long process_id() {
#if defined(_WIN32)
  return _getpid();
#else
  return static_cast<long>(::getpid());
#endif
}

std::string reason(const std::error_code& error) {
  return error.message();
}

// The folder a path is written in: its parent, or the working directory.
fs::path folder_of(const fs::path& path) {
  const fs::path parent = path.parent_path();
  return parent.empty() ? fs::path(".") : parent;
}

bool writable_folder(const fs::path& folder) {
#if defined(_WIN32)
  (void)folder;
  return true;
#else
  return ::access(folder.c_str(), W_OK) == 0;
#endif
}

std::optional<std::string> check_one(const fs::path& path) {
  if (path.filename().empty() || path.filename() == "." || path.filename() == "..") {
    return std::string("names a folder, not a file");
  }
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (fs::is_directory(status)) {
    return std::string("is a directory");
  }
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    return std::string("is not a regular file (a device or pipe cannot be replaced)");
  }
  const fs::path folder = folder_of(path);
  const fs::file_status folder_status = fs::status(folder, error);
  if (!fs::exists(folder_status)) {
    return "the folder " + folder.string() + " does not exist";
  }
  if (!fs::is_directory(folder_status)) {
    return folder.string() + " is not a folder";
  }
  if (!writable_folder(folder)) {
    return "cannot write in the folder " + folder.string() + ": " + std::strerror(errno);
  }
  return std::nullopt;
}

// Whether two paths name the same file: the same existing file (links
// included), or the same place once made absolute.
bool same_file(const fs::path& a, const fs::path& b) {
  std::error_code error;
  if (fs::equivalent(a, b, error) && !error) {
    return true;
  }
  const fs::path place_a = fs::weakly_canonical(fs::absolute(a, error), error);
  const fs::path place_b = fs::weakly_canonical(fs::absolute(b, error), error);
  return !place_a.empty() && place_a == place_b;
}

}  // namespace

std::optional<std::string> check_output_paths(const std::vector<PlannedOutput>& outputs,
                                              const std::vector<fs::path>& inputs) {
  for (std::size_t k = 0; k < outputs.size(); ++k) {
    const PlannedOutput& output = outputs[k];
    if (output.path.empty()) {
      continue;
    }
    const std::string named = output.option + " " + output.path.string() + ": ";
    if (auto problem = check_one(output.path)) {
      return named + *problem;
    }
    for (const fs::path& input : inputs) {
      if (!input.empty() && input != "-" && same_file(input, output.path)) {
        return named + "is the input " + input.string() + "; it would be overwritten";
      }
    }
    for (std::size_t j = 0; j < k; ++j) {
      if (!outputs[j].path.empty() && same_file(outputs[j].path, output.path)) {
        return named + "is also the file of " + outputs[j].option;
      }
    }
  }
  return std::nullopt;
}

void set_helper_process(long pid) {
  helper_process.store(pid);
}

struct OutputFiles::Entry {
  std::string temporary;
  std::optional<fs::path> destination;  // nothing for a scratch file
  std::unique_ptr<std::ofstream> stream;
  std::size_t slot = 0;
  bool registered = false;

  void forget() {
    if (registered) {
      temporary_slots[slot].store(nullptr);
      registered = false;
    }
  }
  void remove() {
    stream.reset();
    if (registered) {
      std::error_code ignored;
      fs::remove(temporary, ignored);
      forget();
    }
  }
};

OutputFiles::OutputFiles() = default;

OutputFiles::~OutputFiles() {
  for (auto& entry : entries_) {
    entry->remove();
  }
}

fs::path OutputFiles::temporary_path(const fs::path& folder, const std::string& stem,
                                     const std::string& extension) {
  // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) of a
  // chain of string additions here.
  std::string name = stem;
  name += ".partial-";
  name += std::to_string(process_id());
  name += '-';
  name += std::to_string(entries_.size());
  name += extension;
  return folder / name;
}

OutputFiles::Entry& OutputFiles::add(fs::path temporary, std::optional<fs::path> destination) {
  auto entry = std::make_unique<Entry>();
  entry->temporary = temporary.string();
  entry->destination = std::move(destination);
  entry->slot = register_temporary(entry->temporary.c_str());
  entry->registered = true;
  entries_.push_back(std::move(entry));
  return *entries_.back();
}

fs::path OutputFiles::reserve(const fs::path& destination) {
  // An output given as a link to a file replaces the file, not the link.
  std::error_code error;
  fs::path target =
      fs::is_symlink(destination, error) ? fs::canonical(destination, error) : destination;
  if (error) {
    target = destination;
  }
  std::string hidden = ".";
  hidden += target.stem().string();
  const fs::path temporary = temporary_path(folder_of(target), hidden, target.extension().string());
  return fs::path(add(temporary, target).temporary);
}

std::ostream& OutputFiles::open(const fs::path& destination) {
  reserve(destination);
  return open_stream(*entries_.back(), destination);
}

std::ostream& OutputFiles::open_scratch(const std::string& extension, fs::path& path) {
  std::error_code error;
  const fs::path folder = fs::temp_directory_path(error);
  if (error) {
    throw OutputError("no temporary folder: " + reason(error));
  }
  path = temporary_path(folder, "sfqp", extension);
  return open_stream(add(path, std::nullopt), path);
}

std::ostream& OutputFiles::open_stream(Entry& entry, const fs::path& named) {
  errno = 0;
  entry.stream =
      std::make_unique<std::ofstream>(entry.temporary, std::ios::binary | std::ios::trunc);
  if (!entry.stream->is_open()) {
    throw OutputError(named.string() +
                      ": cannot create: " + std::strerror(errno != 0 ? errno : EIO));
  }
  return *entry.stream;
}

void OutputFiles::finish_writing() {
  for (auto& entry : entries_) {
    if (!entry->stream) {
      continue;
    }
    errno = 0;
    entry->stream->close();
    const int error = errno;
    const bool written = !entry->stream->fail();
    entry->stream.reset();
    if (!written) {
      const std::string name = entry->destination ? entry->destination->string() : entry->temporary;
      throw OutputError(name + ": cannot write: " + std::strerror(error != 0 ? error : EIO));
    }
  }
}

void OutputFiles::commit() {
  finish_writing();
  // Every output must be there before the first replaces its destination.
  for (const auto& entry : entries_) {
    std::error_code error;
    if (entry->destination && !fs::exists(entry->temporary, error)) {
      throw OutputError(entry->destination->string() + ": was not written");
    }
  }
  for (auto& entry : entries_) {
    if (!entry->destination) {
      continue;
    }
    std::error_code error;
    fs::rename(entry->temporary, *entry->destination, error);
    if (error) {
      throw OutputError(entry->destination->string() +
                        ": cannot move into place: " + reason(error));
    }
    entry->forget();
  }
}

}  // namespace sfqp::io
