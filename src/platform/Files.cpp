#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/WideText.h"

namespace platform {
namespace {

// Writes all of data to fd, retrying after interruptions and short writes.
bool WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

std::string ParentFolder(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

}  // namespace

std::string NativePath(std::u16string_view path) {
    std::string native = base::ToUtf8(path.substr(0, base::WideLength(path.data(), path.size())));
    for (char& c : native) {
        if (c == '\\')
            c = '/';
    }
    return native;
}

FILE* OpenFile(std::u16string_view path, const char* mode) {
    const std::string native = NativePath(path);
    if (native.empty())
        return nullptr;
    return std::fopen(native.c_str(), mode);
}

bool ReadFilePrefix(std::u16string_view path, void* buffer, size_t capacity, size_t* bytesRead) {
    if (bytesRead != nullptr)
        *bytesRead = 0;
    FILE* file = OpenFile(path, "rb");
    if (file == nullptr)
        return false;
    const size_t n = std::fread(buffer, 1, capacity, file);
    // A folder opens like a file but cannot be read: that is no file at all.
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (bytesRead != nullptr)
        *bytesRead = n;
    return !failed;
}

bool ReplaceFile(std::u16string_view path, const void* data, size_t size) {
    const std::string target = NativePath(path);
    if (target.empty())
        return false;
    const std::string temp = target + ".new";
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, static_cast<const uint8_t*>(data), size) && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    if (ok)
        ok = rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable; the data is already on disk either way.
    const int dir = open(ParentFolder(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

std::u16string FolderOf(std::u16string_view programFile) {
    // Split into segments and resolve them lexically; the file name is dropped.
    const bool absolute =
        !programFile.empty() && (programFile[0] == u'/' || programFile[0] == u'\\');
    std::vector<std::u16string_view> segments;
    size_t start = 0;
    for (size_t i = 0; i <= programFile.size(); ++i) {
        if (i == programFile.size() || programFile[i] == u'/' || programFile[i] == u'\\') {
            segments.push_back(programFile.substr(start, i - start));
            start = i + 1;
        }
    }
    segments.pop_back();  // the file name itself
    std::vector<std::u16string_view> kept;
    for (std::u16string_view s : segments) {
        if (s.empty() || s == u".")
            continue;
        if (s == u"..") {
            if (!kept.empty() && kept.back() != u"..") {
                kept.pop_back();
            } else if (!absolute) {
                kept.push_back(s);
            }
            continue;
        }
        kept.push_back(s);
    }
    std::u16string folder = absolute ? u"/" : u"";
    for (std::u16string_view s : kept) {
        folder += s;
        folder += u'/';
    }
    if (folder.empty())
        folder = u"./";
    return folder;
}

bool FolderWritable(std::u16string_view folder) {
    const std::string native = NativePath(folder);
    return !native.empty() && access(native.c_str(), W_OK | X_OK) == 0;
}

bool MakeFolders(std::u16string_view folder) {
    std::string native = NativePath(folder);
    while (native.size() > 1 && native.back() == '/')
        native.pop_back();
    if (native.empty())
        return false;
    // Each folder from the top down; one that exists already is no error.
    for (size_t slash = native.find('/', 1);; slash = native.find('/', slash + 1)) {
        const std::string part = native.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            std::fprintf(stderr, "Tessary: cannot make the folder %s: %s\n", part.c_str(),
                         std::strerror(errno));
            return false;
        }
        if (slash == std::string::npos)
            break;
    }
    struct stat info {};
    if (stat(native.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        std::fprintf(stderr, "Tessary: %s is not a folder\n", native.c_str());
        return false;
    }
    return true;
}

}  // namespace platform
