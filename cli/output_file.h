// Where orrimar-flight writes a file it is asked for: through symlinks to the file they
// name, a regular file replaced whole (written under a temporary name beside it, then
// renamed), a FIFO or device written directly; every failure with the system's reason.
#pragma once

#include <sys/stat.h>

#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

namespace orrimar {

// The temporary files being written, so that a signal's watcher can remove them before the
// process ends. Safe to use from several threads.
class PartialFiles {
public:
    void Add(const std::string& path);
    void Forget(const std::string& path);
    // Runs rename() and forgets path, unless RemoveAll() came first: then false.
    bool Settle(const std::string& path, const std::function<bool()>& rename);
    // Removes every file listed; later Settle calls refuse.
    void RemoveAll();

private:
    std::mutex mutex_;
    std::vector<std::string> paths_;
    bool removed_ = false;
};

// A stream buffer writing to a file descriptor; keeps the errno of the first failure.
class DescriptorBuffer : public std::streambuf {
public:
    explicit DescriptorBuffer(int fd);
    int Error() const { return error_; }

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* data, std::streamsize size) override;
    int sync() override;

private:
    bool WriteAll(const char* data, std::size_t size);
    bool Drain();

    int fd_;
    int error_ = 0;
    std::vector<char> buffer_;
};

// One output file, opened at once so that a bad path fails before any work is done.
// Destroyed without a successful Commit(), it removes its temporary file and leaves the
// file under the asked name as it was.
class OutputFile {
public:
    // partials (may be null) lists the temporary file while it exists.
    OutputFile(const std::string& path, PartialFiles* partials);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    // The stream throws std::ios_base::failure when a write fails, so that the work
    // feeding it stops; Error() then says why.
    std::ostream& Stream() { return stream_; }
    // Everything written out, synced and given its name; false when anything failed.
    bool Commit();
    // Why opening, writing or committing failed: "No space left on device".
    std::string Error() const;

private:
    void OpenTemporary(const std::string& path, bool exists, const struct stat& info);
    void Fail(int error);
    void Discard();

    std::string target_;     // the file the path names, symlinks followed
    std::string temporary_;  // empty when written directly
    PartialFiles* partials_;
    int fd_ = -1;
    int error_ = 0;
    std::unique_ptr<DescriptorBuffer> buffer_;
    std::ostream stream_{nullptr};
    bool committed_ = false;
};

}  // namespace orrimar
