#include "tools/io/output_files.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "tools/io/excerpt.h"
#include "tools/io/output_descriptor.h"
#include "tools/io/stop_signals.h"

#if defined(_WIN32)
#include <process.h>
#else
#include <pthread.h>
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

// Holds the stop signals back while the outputs are moved into place: a stop
// between two moves would leave some outputs replaced and others not. A signal
// that comes meanwhile takes effect when commit ends.
class StopSignalsHeld {
 public:
  StopSignalsHeld() {
#if !defined(_WIN32)
    sigset_t held;
    sigemptyset(&held);
    for (const int signal_number : kStopSignals) {
      sigaddset(&held, signal_number);
    }
    pthread_sigmask(SIG_BLOCK, &held, &before_);
#endif
  }
  ~StopSignalsHeld() {
#if !defined(_WIN32)
    pthread_sigmask(SIG_SETMASK, &before_, nullptr);
#endif
  }
  StopSignalsHeld(const StopSignalsHeld&) = delete;
  StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

 private:
#if !defined(_WIN32)
  sigset_t before_{};
#endif
};

// A second name for destination's file, hidden beside it, that keeps the
// earlier content while the new one is moved in: a hard link where the file
// system has them, else a copy. kept stays empty when there is no earlier
// file.
std::error_code keep_earlier(const fs::path& destination, std::size_t index,
                             std::optional<fs::path>& kept) {
  std::error_code error;
  const fs::file_status status = fs::symlink_status(destination, error);
  if (!fs::is_regular_file(status) && !fs::is_symlink(status)) {
    return {};  // nothing there, or a folder, which the move refuses
  }
  std::string name = ".";
  name += destination.stem().string();
  name += ".earlier-";
  name += std::to_string(process_id());
  name += '-';
  name += std::to_string(index);
  name += destination.extension().string();
  const fs::path place = folder_of(destination) / name;
  fs::remove(place, error);
  fs::create_hard_link(destination, place, error);
  if (error) {
    error.clear();
    fs::copy_file(destination, place, error);
  }
  if (error) {
    std::error_code ignored;
    fs::remove(place, ignored);
    return error;
  }
  kept = place;
  return {};
}

// What became of the other outputs after a failure in commit.
std::string outcome(const std::string& failures, bool replaced_any) {
  if (!failures.empty()) {
    return failures + " (the other outputs were put back where they could be)";
  }
  return replaced_any ? " (no output was replaced: the files moved before were put back)"
                      : " (no output was written)";
}

}  // namespace

void set_helper_process(long pid) {
  helper_process.store(pid);
}

struct OutputFiles::Entry {
  std::string temporary;
  std::optional<fs::path> destination;  // nothing for a scratch file
  std::optional<int> descriptor;        // an output written through a descriptor
  std::unique_ptr<std::ofstream> stream;
  std::size_t slot = 0;
  bool registered = false;

  bool is_output() const { return destination || descriptor; }
  std::string named() const {
    if (descriptor) {
      return descriptor_name(*descriptor);
    }
    return name_excerpt(destination ? destination->string() : temporary);
  }
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

// A destination that commit has replaced, and where its earlier file is kept.
struct OutputFiles::Replaced {
  fs::path destination;
  std::optional<fs::path> earlier;  // nothing: there was no file before
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

fs::path OutputFiles::reserve(const fs::path& destination, const std::string& extension) {
  if (const auto descriptor = output_descriptor(destination)) {
    std::error_code error;
    const fs::path folder = fs::temp_directory_path(error);
    if (error) {
      throw OutputError("no temporary folder: " + reason(error) + " (no output was written)");
    }
    const std::string own = destination.extension().string();
    Entry& entry = add(temporary_path(folder, "sfqp", own.empty() ? extension : own), std::nullopt);
    entry.descriptor = descriptor;
    return fs::path(entry.temporary);
  }
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
    throw OutputError("no temporary folder: " + reason(error) + " (no output was written)");
  }
  path = temporary_path(folder, "sfqp", extension);
  return open_stream(add(path, std::nullopt), path);
}

std::ostream& OutputFiles::open_stream(Entry& entry, const fs::path& named) {
  errno = 0;
  entry.stream =
      std::make_unique<std::ofstream>(entry.temporary, std::ios::binary | std::ios::trunc);
  if (!entry.stream->is_open()) {
    throw OutputError(name_excerpt(named.string()) + ": cannot create: " +
                      std::strerror(errno != 0 ? errno : EIO) + " (no output was written)");
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
      throw OutputError(entry->named() + ": cannot write: " +
                        std::strerror(error != 0 ? error : EIO) + " (no output was written)");
    }
  }
}

std::string OutputFiles::put_back(std::vector<Replaced>& replaced) {
  std::string failures;
  for (auto it = replaced.rbegin(); it != replaced.rend(); ++it) {
    std::error_code error;
    if (it->earlier) {
      fs::rename(*it->earlier, it->destination, error);
    } else {
      fs::remove(it->destination, error);
    }
    if (error) {
      failures += "; " + name_excerpt(it->destination.string()) +
                  " could not be put back: " + reason(error);
      if (it->earlier) {
        failures += ", its earlier content is in " + name_excerpt(it->earlier->string());
      }
    }
  }
  replaced.clear();
  return failures;
}

void OutputFiles::commit() {
  finish_writing();
  // Every output must be there before the first replaces its destination.
  for (const auto& entry : entries_) {
    std::error_code error;
    if (entry->is_output() && !fs::exists(entry->temporary, error)) {
      throw OutputError(entry->named() + ": was not written (no output was written)");
    }
  }
  const StopSignalsHeld held;
  std::vector<Replaced> replaced;
  // Files first: a failed move can be undone; what reached a descriptor cannot.
  for (auto& entry : entries_) {
    if (!entry->destination) {
      continue;
    }
    std::error_code error;
    const fs::file_status status = fs::symlink_status(*entry->destination, error);
    if (fs::exists(status) && !fs::is_regular_file(status) && !fs::is_directory(status) &&
        !fs::is_symlink(status)) {
      // A device or pipe put there during the run, which a move would replace
      // (a folder refuses the move by itself).
      const bool replaced_any = !replaced.empty();
      throw OutputError(entry->named() + ": is no longer a regular file, so it is not replaced" +
                        outcome(put_back(replaced), replaced_any));
    }
    std::optional<fs::path> earlier;
    if (const std::error_code kept = keep_earlier(*entry->destination, replaced.size(), earlier)) {
      const bool replaced_any = !replaced.empty();
      throw OutputError(entry->named() + ": cannot keep the earlier file while replacing it: " +
                        reason(kept) + outcome(put_back(replaced), replaced_any));
    }
    fs::rename(entry->temporary, *entry->destination, error);
    if (error) {
      if (earlier) {
        std::error_code ignored;
        fs::remove(*earlier, ignored);
      }
      const bool replaced_any = !replaced.empty();
      throw OutputError(entry->named() + ": cannot move into place: " + reason(error) +
                        outcome(put_back(replaced), replaced_any));
    }
    entry->forget();
    replaced.push_back({*entry->destination, std::move(earlier)});
  }
  for (auto& entry : entries_) {
    if (!entry->descriptor) {
      continue;
    }
    if (auto failure = copy_to_descriptor(entry->temporary, *entry->descriptor)) {
      const bool replaced_any = !replaced.empty();
      const std::string failures = put_back(replaced);
      const std::string files = !failures.empty()
                                    ? failures.substr(2) + ", the other files were put back"
                                : replaced_any ? "the files moved before were put back"
                                               : "no file was written";
      throw OutputError(*failure + " (" + files + "; what reached " + entry->named() +
                        " before the failure stays there)");
    }
    entry->remove();
  }
  for (const Replaced& done : replaced) {
    if (done.earlier) {
      std::error_code ignored;
      fs::remove(*done.earlier, ignored);
    }
  }
}

}  // namespace sfqp::io
