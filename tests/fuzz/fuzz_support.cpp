#include "tests/fuzz/fuzz_support.h"

#include <cstring>
#include <dirent.h>
#include <unistd.h>

namespace zarvo::fuzz {

namespace {

std::string MakeScratchDir() {
    const char* tmp = std::getenv("TMPDIR");
    for (const std::string& base : {std::string("/dev/shm"), std::string(tmp && *tmp ? tmp : "/tmp")}) {
        std::string pattern = base + "/zarvo-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()))
            return pattern;
    }
    std::perror("zarvo fuzz: cannot make a scratch directory");
    std::abort();
}

std::string& TheDir() {
    static std::string dir = MakeScratchDir();
    return dir;
}

void RemoveScratchDir() {
    const std::string& dir = TheDir();
    if (DIR* d = ::opendir(dir.c_str())) {
        while (const dirent* e = ::readdir(d))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                ::unlink((dir + "/" + e->d_name).c_str());
        ::closedir(d);
    }
    ::rmdir(dir.c_str());
}

} // namespace

const std::string& ScratchDir() {
    // The name first: exit handlers run in reverse, so it outlives the removal
    const std::string& dir = TheDir();
    static const bool registered = std::atexit(RemoveScratchDir) == 0;
    (void)registered;
    return dir;
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    FUZZ_CHECK(f != nullptr);
    FUZZ_CHECK(std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size());
    FUZZ_CHECK(std::fclose(f) == 0);
}

} // namespace zarvo::fuzz
