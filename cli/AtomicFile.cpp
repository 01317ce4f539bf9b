#include "cli/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "engine/Formats.h"

namespace design {

namespace {

[[noreturn]] void Fail(const std::string& path, int error) {
    throw riaa::EngineError("Cannot save " + path + ": " + std::strerror(error));
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file beside the target until it is renamed: hidden, so that a kill leaves no file a user mistakes.
std::string TemporaryPattern(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder + "." + name + ".XXXXXX";
}

bool WriteAll(int fd, std::string_view contents) {
    while (!contents.empty()) {
        const ssize_t written = ::write(fd, contents.data(), contents.size());
        if (written < 0 && errno == EINTR) continue;
        if (written == 0) errno = EIO;
        if (written <= 0) return false;
        contents.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw riaa::EngineError("Cannot open " + path + ": " + std::strerror(errno));
    std::ostringstream contents;
    contents << file.rdbuf();
    if (file.bad()) throw riaa::EngineError("Cannot read " + path);
    std::string text = std::move(contents).str();
    if (text.empty()) throw riaa::EngineError("Cannot open " + path + ": the file is empty");
    return text;
}

void WriteFileAtomically(const std::string& path, std::string_view contents) {
    std::string temporary = TemporaryPattern(path);
    std::vector<char> name(temporary.begin(), temporary.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) Fail(path, errno);
    temporary = name.data();
    struct stat old {};
    // mkstemp makes the file private; a saved design is read by others as any document is.
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    int error = 0;
    if (::fchmod(fd, mode) != 0 || !WriteAll(fd, contents) || ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        Fail(path, error);
    }
    // The rename itself reaches the disk only with the folder's entry.
    const int folder = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

}  // namespace design
