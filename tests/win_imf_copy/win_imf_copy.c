/* Windows build of a stand-in for the imf_copy converter, run by a real batch
 * interpreter (wine's cmd) in the tests:
 *
 *   imf_copy.exe [options] infile outfile
 *
 * It takes the arguments as the system hands them to a wide-character program
 * (so exactly what the interpreter made of the script's bytes), appends them
 * to the file named by CORVANE_WIN_IMF_COPY_LOG as one UTF-8 line, separated
 * by tabs (which no Windows file name holds), and writes a small non-empty
 * outfile, the last argument. It does not read infile.
 *
 * Exit status: 0 success, 1 the log or outfile cannot be written, 2 fewer than
 * two arguments.
 */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

static int putUtf8(FILE* file, const wchar_t* text) {
    char bytes[4 * MAX_PATH];
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes, NULL, NULL);
    return size > 0 && fwrite(bytes, 1, (size_t)(size - 1), file) == (size_t)(size - 1);
}

/* Whether the arguments were logged, or no log was asked for. */
static int logArguments(int argc, wchar_t** argv) {
    const wchar_t* path = _wgetenv(L"CORVANE_WIN_IMF_COPY_LOG");
    if (!path)
        return 1;
    FILE* log = _wfopen(path, L"ab");
    if (!log)
        return 0;
    int written = 1;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            written = written && fputc('\t', log) != EOF;
        written = written && putUtf8(log, argv[i]);
    }
    written = written && fputc('\n', log) != EOF;
    return fclose(log) == 0 && written;
}

int wmain(int argc, wchar_t** argv) {
    if (!logArguments(argc, argv))
        return 1;
    if (argc < 3)
        return 2;
    FILE* out = _wfopen(argv[argc - 1], L"wb");
    if (!out)
        return 1;
    const int written = fputs("converted by the Windows stand-in\n", out) != EOF;
    return fclose(out) == 0 && written ? 0 : 1;
}
