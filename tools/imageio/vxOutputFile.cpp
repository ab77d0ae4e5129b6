// Output files replaced whole: a temporary file beside the target, renamed over it.
#include "vxOutputFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string reason(int error) {
    return std::strerror(error);
}

// The file that writing `path` changes: a symbolic link is followed (when its target
// exists), so the link itself survives.
fs::path resolved(const std::string& path) {
    std::error_code ec;
    if (fs::is_symlink(path, ec)) {
        const fs::path real = fs::canonical(path, ec);
        if (!ec) return real;
    }
    return fs::path(path);
}

fs::path folderOf(const fs::path& target) {
    return target.has_parent_path() ? target.parent_path() : fs::path(".");
}

// Makes a new, empty file beside `target` with a name no one else uses; returns its
// descriptor (or -1 with errno set) and its name.
int makeTemporary(const fs::path& target, std::string& name) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    int fd = -1;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, ".part%012llx",
                      static_cast<unsigned long long>(random() & 0xffffffffffffULL));
        std::string leaf = target.filename().string();
        leaf.insert(leaf.begin(), '.');
        leaf += suffix;
        name = (folderOf(target) / leaf).string();
        // 0666 less the umask, as a file the tool creates directly would get.
        fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) break;
    }
    return fd;
}

// Why no file can be made beside `target`, or "" when its folder looks fine.
std::string folderFault(const fs::path& target) {
    const fs::path folder = folderOf(target);
    std::error_code ec;
    const fs::file_status status = fs::status(folder, ec);
    if (!fs::exists(status)) return "the folder " + folder.string() + " does not exist";
    if (!fs::is_directory(status)) return folder.string() + " is not a folder";
    return "";
}

[[noreturn]] void refuse(const std::string& path, const std::string& fault) {
    throw vxOutputFileError(path + ": cannot write (" + fault + ")");
}

} // namespace

void vfCheckOutputPath(const std::string& path) {
    if (path.empty()) throw vxOutputFileError("an output file name is empty");
    const fs::path target = resolved(path);
    std::error_code ec;
    const fs::file_status status = fs::status(target, ec);
    if (fs::is_directory(status)) refuse(path, "it is a folder");
    if (fs::exists(status)) {
        if (::access(target.c_str(), W_OK) != 0) refuse(path, reason(errno));
        if (!fs::is_regular_file(status)) return; // written in place
    }
    const std::string fault = folderFault(target);
    if (!fault.empty()) refuse(path, fault);
    // Permissions alone do not tell (a read-only file system, root), so try.
    std::string probe;
    const int fd = makeTemporary(target, probe);
    if (fd < 0)
        refuse(path, "no file can be made in " + folderOf(target).string() + ": " + reason(errno));
    ::close(fd);
    ::unlink(probe.c_str());
}

void vfWriteOutputFile(const std::string& path, const std::string& bytes) {
    vxOutputFile out(path);
    out.write(bytes.data(), bytes.size());
    out.commit();
}

vxOutputFile::vxOutputFile(const std::string& path) : path_(path) {
    if (path.empty()) throw vxOutputFileError("an output file name is empty");
    const fs::path target = resolved(path);
    target_ = target.string();
    std::error_code ec;
    const fs::file_status status = fs::status(target, ec);
    if (fs::is_directory(status)) refuse(path, "it is a folder");
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        file_ = std::fopen(target_.c_str(), "wb");
        if (!file_) refuse(path, reason(errno));
        return;
    }
    const int fd = makeTemporary(target, temporary_);
    if (fd < 0) {
        const int error = errno;
        temporary_.clear();
        const std::string fault = folderFault(target);
        refuse(path, fault.empty() ? reason(error) : fault);
    }
    // A replaced file keeps its permissions.
    struct stat old;
    if (::stat(target_.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        const int error = errno;
        ::close(fd);
        discard();
        refuse(path, reason(error));
    }
}

vxOutputFile::~vxOutputFile() {
    discard();
}

void vxOutputFile::discard() noexcept {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

void vxOutputFile::fail(const std::string& fault) {
    discard();
    refuse(path_, fault);
}

void vxOutputFile::write(const void* data, std::size_t size) {
    if (!file_) fail("the file is closed");
    if (size != 0 && std::fwrite(data, 1, size, file_) != size) fail(reason(errno));
}

void vxOutputFile::commit() {
    if (!file_) fail("the file is closed");
    if (std::fflush(file_) != 0 || std::ferror(file_)) fail(reason(errno));
    // The data must be on the disk before the rename makes it the target.
    if (!temporary_.empty() && ::fsync(::fileno(file_)) != 0) fail(reason(errno));
    const int closed = std::fclose(file_);
    file_ = nullptr;
    if (closed != 0) fail(reason(errno));
    if (temporary_.empty()) return;
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) fail(reason(errno));
    temporary_.clear();
}
