#include "cli/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <random>
#include <system_error>

namespace orrimar {

namespace {

constexpr std::size_t BufferBytes = 1 << 16;
constexpr int MaxSymlinkHops = 40;  // as the kernel allows

// The file path names: symlinks followed to their target (a dangling one to the file it
// would create). Fails with ELOOP for a cycle.
std::string FollowLinks(std::string path, int& error, int hops = MaxSymlinkHops)
{
    for (int hop = 0; hop < hops; ++hop) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 4096) + 1, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0) {
            error = errno;
            return path;
        }
        target.resize(static_cast<std::size_t>(length));
        const std::filesystem::path folder = std::filesystem::path(path).parent_path();
        path = target.front() == '/' || folder.empty() ? target : (folder / target).string();
    }
    if (hops == MaxSymlinkHops)
        error = ELOOP;
    return path;
}

// Whether path reaches, through symlinks, a descriptor link of /proc or /dev/fd.
bool NamesDescriptor(std::string path)
{
    for (int hop = 0; hop < MaxSymlinkHops; ++hop) {
        if (path.rfind("/proc/", 0) == 0 || path.rfind("/dev/fd/", 0) == 0)
            return true;
        int error = 0;
        const std::string next = FollowLinks(path, error, 1);
        if (error != 0 || next == path)
            return false;
        path = next;
    }
    return false;
}

// A new file beside target, only ours (O_EXCL), with the mode the final file should have.
int CreateTemporary(const std::string& target, mode_t mode, std::string& temporary, int& error)
{
    const std::filesystem::path path(target);
    const std::filesystem::path folder = path.parent_path();
    std::random_device random;
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name(1, '.');
        name += path.filename().string();
        name += '.';
        for (int k = 0; k < 6; ++k)
            name += Letters[random() % (sizeof Letters - 1)];
        name += ".part";
        temporary = (folder / name).string();
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) {
            error = fd >= 0 ? 0 : errno;
            return fd;
        }
    }
    error = EEXIST;
    return -1;
}

}  // namespace

void PartialFiles::Add(const std::string& path)
{
    const std::lock_guard lock(mutex_);
    paths_.push_back(path);
}

void PartialFiles::Forget(const std::string& path)
{
    const std::lock_guard lock(mutex_);
    paths_.erase(std::remove(paths_.begin(), paths_.end(), path), paths_.end());
}

bool PartialFiles::Settle(const std::string& path, const std::function<bool()>& rename)
{
    const std::lock_guard lock(mutex_);
    if (removed_)
        return false;
    paths_.erase(std::remove(paths_.begin(), paths_.end(), path), paths_.end());
    return rename();
}

void PartialFiles::RemoveAll()
{
    const std::lock_guard lock(mutex_);
    removed_ = true;
    for (const std::string& path : paths_)
        ::unlink(path.c_str());
    paths_.clear();
}

DescriptorBuffer::DescriptorBuffer(int fd) : fd_(fd), buffer_(BufferBytes)
{
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

bool DescriptorBuffer::WriteAll(const char* data, std::size_t size)
{
    while (size > 0 && error_ == 0) {
        const ssize_t written = ::write(fd_, data, size);
        if (written < 0) {
            if (errno != EINTR)
                error_ = errno;
            continue;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return error_ == 0;
}

bool DescriptorBuffer::Drain()
{
    const bool ok = WriteAll(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return ok;
}

DescriptorBuffer::int_type DescriptorBuffer::overflow(int_type c)
{
    if (!Drain())
        return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}

std::streamsize DescriptorBuffer::xsputn(const char* data, std::streamsize size)
{
    if (size <= epptr() - pptr()) {
        std::copy_n(data, size, pptr());
        pbump(static_cast<int>(size));
        return size;
    }
    if (!Drain())
        return 0;
    if (size < epptr() - pptr()) {
        std::copy_n(data, size, pptr());
        pbump(static_cast<int>(size));
    } else if (!WriteAll(data, static_cast<std::size_t>(size))) {
        return 0;
    }
    return size;
}

int DescriptorBuffer::sync() { return Drain() ? 0 : -1; }

OutputFile::OutputFile(const std::string& path, PartialFiles* partials) : partials_(partials)
{
    struct stat info {};
    const bool exists = ::stat(path.c_str(), &info) == 0;
    if (!exists && errno != ENOENT && errno != ELOOP) {
        Fail(errno);
        return;
    }
    // A FIFO or a device takes the bytes as they come, and /dev/stdout or /dev/fd/N name a
    // descriptor already open: none has a name to replace.
    if (exists && !S_ISDIR(info.st_mode) && (!S_ISREG(info.st_mode) || NamesDescriptor(path))) {
        fd_ = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd_ < 0)
            Fail(errno);
    } else {
        OpenTemporary(path, exists, info);
    }
    if (fd_ >= 0) {
        buffer_ = std::make_unique<DescriptorBuffer>(fd_);
        stream_.rdbuf(buffer_.get());
        stream_.exceptions(std::ios::badbit);
    }
}

void OutputFile::OpenTemporary(const std::string& path, bool exists, const struct stat& info)
{
    int error = 0;
    target_ = FollowLinks(path, error);
    if (error != 0) {
        Fail(error);
        return;
    }
    if ((!target_.empty() && target_.back() == '/') || (exists && S_ISDIR(info.st_mode))) {
        // What the system says of a file named so: "Is a directory", "Not a directory".
        const int fd = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
        Fail(fd >= 0 ? EISDIR : errno);
        if (fd >= 0)
            ::close(fd);
        return;
    }
    if (exists && ::access(target_.c_str(), W_OK) != 0) {
        Fail(errno);
        return;
    }
    fd_ = CreateTemporary(target_, exists ? (info.st_mode & 07777) : 0666, temporary_, error);
    if (fd_ < 0) {
        temporary_.clear();
        Fail(error);
        return;
    }
    // The replaced file's permissions, not the temporary's after the umask.
    if (exists)
        ::fchmod(fd_, info.st_mode & 07777);
    if (partials_)
        partials_->Add(temporary_);
}

OutputFile::~OutputFile()
{
    if (!committed_)
        Discard();
}

void OutputFile::Fail(int error)
{
    if (error_ == 0)
        error_ = error;
}

void OutputFile::Discard()
{
    stream_.exceptions(std::ios::goodbit);
    stream_.rdbuf(nullptr);
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        if (partials_)
            partials_->Forget(temporary_);
        temporary_.clear();
    }
}

bool OutputFile::Commit()
{
    if (fd_ < 0 || committed_)
        return committed_;
    stream_.exceptions(std::ios::goodbit);
    stream_.flush();
    if (buffer_->Error() != 0)
        Fail(buffer_->Error());
    else if (!stream_)
        Fail(EIO);
    // A regular file must be on the disk before it takes the name, or a crash could leave
    // an empty file under it.
    if (error_ == 0 && !temporary_.empty() && ::fsync(fd_) != 0)
        Fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && error_ == 0)
        Fail(errno);
    if (error_ == 0 && !temporary_.empty()) {
        const auto rename = [this] {
            if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
                Fail(errno);
                return false;
            }
            return true;
        };
        if (partials_ ? !partials_->Settle(temporary_, rename) : !rename())
            Fail(error_ != 0 ? error_ : EINTR);
        else
            temporary_.clear();
    }
    if (error_ != 0) {
        Discard();
        return false;
    }
    committed_ = true;
    return true;
}

std::string OutputFile::Error() const
{
    int error = error_;
    if (error == 0 && buffer_)
        error = buffer_->Error();
    return error == 0 ? std::string() : std::generic_category().message(error);
}

}  // namespace orrimar
