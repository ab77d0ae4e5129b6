// Output files that are replaced whole or not at all. The bytes go to a new file in the
// target's folder, which is renamed over the target only once everything is written and
// flushed to the disk, so a failure leaves the target exactly as it was and removes only
// the file the writer made itself. A target that exists and is not a regular file (a
// device such as /dev/null, a pipe) is written in place and never removed; a symbolic
// link is followed, so the link stays and its target is replaced.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>

// A file that cannot be written; what() is one line "PATH: fault".
class vxOutputFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws vxOutputFileError unless `path` can be written now: it is not a folder, and
// either it is an existing writable non-regular file or its folder exists and a file
// can be made in it (checked by making and removing one). Cheap; meant to run before a
// long computation whose result goes to `path`.
void vfCheckOutputPath(const std::string& path);

// Writes `bytes` to `path` as one vxOutputFile.
void vfWriteOutputFile(const std::string& path, const std::string& bytes);

class vxOutputFile {
public:
    // Opens the temporary file beside `path` (or `path` itself when it is not a regular
    // file). Throws vxOutputFileError when it cannot.
    explicit vxOutputFile(const std::string& path);
    // Without commit(): closes and removes the temporary file; the target is untouched.
    ~vxOutputFile();
    vxOutputFile(const vxOutputFile&) = delete;
    vxOutputFile& operator=(const vxOutputFile&) = delete;

    // The open file to write to; stays owned by this object.
    std::FILE* file() const { return file_; }
    const std::string& path() const { return path_; }
    // Appends bytes; throws vxOutputFileError on a short write.
    void write(const void* data, std::size_t size);
    // Flushes, closes and renames the temporary file over the target. Throws
    // vxOutputFileError (and removes the temporary file) when any step fails.
    void commit();

private:
    [[noreturn]] void fail(const std::string& fault);
    void discard() noexcept;

    std::string path_;      // as given, for messages
    std::string target_;    // what is replaced (symbolic links followed)
    std::string temporary_; // empty when writing in place
    std::FILE* file_ = nullptr;
};
