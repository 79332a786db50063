// For each path on the command line: read the whole file, write a copy to a
// temporary file in the same folder, fsync it and rename it over the file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string path = argv[i];
        const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st {};
        if (in < 0 || ::fstat(in, &st) != 0) {
            std::perror(path.c_str());
            return 1;
        }
        const size_t size = size_t(st.st_size);
        auto data = std::make_unique_for_overwrite<char[]>(size);
        for (size_t done = 0; done < size;) {
            const ssize_t got = ::read(in, data.get() + done, size - done);
            if (got <= 0) {
                std::perror(path.c_str());
                return 1;
            }
            done += size_t(got);
        }
        ::close(in);
        const std::string temp = path + ".copy";
        const int out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        for (size_t done = 0; done < size;) {
            const ssize_t put = ::write(out, data.get() + done, size - done);
            if (put <= 0) {
                std::perror(temp.c_str());
                return 1;
            }
            done += size_t(put);
        }
        if (::fsync(out) != 0 || ::close(out) != 0 || ::rename(temp.c_str(), path.c_str()) != 0) {
            std::perror(temp.c_str());
            return 1;
        }
    }
    return 0;
}
