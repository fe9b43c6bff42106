// A converter that does next to nothing, so a run's own cost per row shows:
// it writes one byte to its last argument and exits. With "--print N" it
// first prints N bytes, with "--fail" it writes nothing and exits 1, with
// "--stamp FILE" it first appends the time it started (microseconds since the
// epoch) to FILE, so a benchmark can tell when the first converter began.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char* argv[]) {
    const auto started = std::chrono::system_clock::now().time_since_epoch();
    bool fail = false;
    long print = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--stamp") == 0 && i + 1 < argc) {
            if (std::FILE* stamp = std::fopen(argv[++i], "a")) {
                std::fprintf(
                    stamp, "%lld\n",
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::microseconds>(started).count()));
                std::fclose(stamp);
            }
        } else if (std::strcmp(argv[i], "--fail") == 0)
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
