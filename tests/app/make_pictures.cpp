// make_pictures FOLDER COUNT
// Not a test: writes COUNT real JPEG pictures named photo01.jpg ... of
// several sizes into FOLDER, for a look at the program.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "TestFiles.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_pictures FOLDER COUNT\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int count = std::atoi(argv[2]);
    const int sizes[][2] = {{1600, 1200}, {1200, 1600}, {800, 600}, {640, 480}, {2000, 1000}};
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/photo%02d.jpg", i + 1);
        const int* size = sizes[i % std::size(sizes)];
        murktest::WriteBytes(folder + name, murktest::MakeJpeg(size[0], size[1]));
    }
    return 0;
}
