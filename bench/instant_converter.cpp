// A converter that does next to nothing, so a run's own cost per row shows:
// it writes one byte to its last argument and exits. With "--print N" it
// first prints N bytes, with "--fail" it writes nothing and exits 1.
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char* argv[]) {
    bool fail = false;
    long print = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--fail") == 0)
            fail = true;
        else if (std::strcmp(argv[i], "--print") == 0 && i + 1 < argc)
            print = std::atol(argv[++i]);
    }
    for (long i = 0; i < print; ++i)
        std::fputc(i % 80 == 79 ? '\n' : 'x', stdout);
    if (fail || argc < 2)
        return 1;
    std::FILE* out = std::fopen(argv[argc - 1], "wb");
    if (!out || std::fputc('m', out) == EOF || std::fclose(out) != 0)
        return 1;
    return 0;
}
