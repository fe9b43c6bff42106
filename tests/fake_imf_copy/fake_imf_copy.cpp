// Stand-in for the imf_copy texture converter. Corvane's tests and trials use it where the real
// tool (shipped with a 3D package) is not installed.
//
//   imf_copy [options] infile outfile [outformat [outtype]]
//
// Options -p, -r, -e and -v take no value; -g, -f, -k and -q take a decimal number as the next
// argument. Options must come before infile. -v prints one line to stdout describing the
// conversion. outformat and outtype are accepted and ignored.
//
// infile is read with Qt's image readers. outfile receives the image encoded as PNG whatever its
// name says: callers only need a real, decodable file, not the real .map format. -g maps every
// colour channel through out = in^(1/gamma); alpha is kept.
//
// Exit status: 0 success, 1 input or output failure, 2 bad command line. Every failure prints an
// "imf_copy: ..." line on stderr, and a failed conversion leaves no output file behind.
//
// Argument log: if the environment variable CORVANE_FAKE_IMF_COPY_LOG names a file, every
// invocation appends one line to it before anything else is checked, so rejected command lines
// are logged too:
//
//   <count> <arg1> <arg2> ... <argN>\n
//
// count is the number of arguments (argv[1..]) in decimal. Each argument is its raw bytes
// percent-encoded with QByteArray::toPercentEncoding (everything except A-Z a-z 0-9 - . _ ~
// becomes %XX), so spaces, quotes, newlines and non-UTF-8 bytes survive and the line splits on
// single spaces; decode with QByteArray::fromPercentEncoding. The count tells an empty argument
// apart from none. If the log cannot be written the invocation fails with status 1, so a test
// never runs without the log it asked for.
//
// Test switches (before infile, like every option), so a test can make the conversion slow,
// busy, talkative or failing without anything keyed on file names:
//
//   --say TEXT           print TEXT as a line on stdout at once (a converter reporting progress)
//   --write-partial N    then write N bytes of garbage straight into outfile, as a converter
//                        does before it is killed or crashes (a half-written texture)
//   --sleep-ms N         then sleep N milliseconds (a slow disk, a hung converter)
//   --burn-ms N          then spend N milliseconds of processor time (a heavy texture)
//   --spew-bytes N       then write N bytes to stdout and N to stderr, interleaved (a chatty
//                        converter)
//   --ignore-term        ignore SIGTERM, so only SIGKILL ends it
//   --empty-output       succeed but leave a zero-byte output file
//   --exit-code N        print an error and exit with N, writing nothing more
//   --switches-from-image
//                        an infile whose first line reads "#imf_copy SWITCHES" adds those test
//                        switches for this one conversion; as with a real converter, what
//                        happens then depends on the image's content, never on its name
//
// Event log: if CORVANE_FAKE_IMF_COPY_EVENTS names a file, the invocation appends
// "start <pid> <ms since epoch>" when it begins and "end <pid> <ms since epoch>" when it ends,
// so tests can see which conversions overlapped and which processes to look for afterwards.
// Unless it ignores SIGTERM, a conversion ended by SIGTERM appends "term <pid>" before it exits
// (with status 143), so tests can tell a polite end from SIGKILL. Windows has no polite end of
// a console program from outside: there the switch and the line do nothing.
//
// On Windows the arguments are taken as the system hands them to a Unicode program and logged
// as UTF-8: the bytes of the command line as the batch interpreter made them. Its output there
// is binary, as on Linux: line ends are line feeds.

#include <QByteArray>
#include <QByteArrayList>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <QString>
#include <QStringList>

#include <QDateTime>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <array>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <optional>
#include <vector>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

constexpr int ExitOk = 0;
constexpr int ExitIoError = 1;
constexpr int ExitUsage = 2;

constexpr char Usage[] = "usage: imf_copy [-p] [-r] [-e] [-v] [-g gamma] [-f filter] [-k value] "
                         "[-q value] infile outfile [outformat [outtype]]";

struct Options {
    bool pyramid = false;
    bool tile = false;
    bool e = false;
    bool verbose = false;
    std::optional<double> gamma;
    std::optional<double> filter;
    std::optional<double> k;
    std::optional<double> q;
    QString inFile;
    QString outFile;
    // Test switches.
    qint64 sleepMs = 0;
    qint64 burnMs = 0;
    qint64 spewBytes = 0;
    bool ignoreTerm = false;
    bool emptyOutput = false;
    std::optional<int> exitCode;
    QString say;
    qint64 writePartial = -1; // none
    bool switchesFromImage = false;
};

void printError(const QString& message) {
    std::fprintf(stderr, "imf_copy: %s\n", message.toLocal8Bit().constData());
}

QString quoted(const QString& text) {
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

// Appends one line whole. Several conversions run at once and log to the same files: on Unix
// an O_APPEND write of a line is one atomic append; Windows has no such append for writers that
// each seek to the end, so there each writer takes the file alone (others wait their turn).
bool appendLine(const QString& path, const QByteArray& line, QString& error) {
#ifdef Q_OS_WIN
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int tries = 0; tries < 10000; ++tries) {
        file = CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), FILE_APPEND_DATA,
                           FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION)
            break;
        Sleep(1);
    }
    if (file == INVALID_HANDLE_VALUE) {
        error = QStringLiteral("error %1").arg(GetLastError());
        return false;
    }
    DWORD written = 0;
    const bool ok = SetFilePointer(file, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
                    WriteFile(file, line.constData(), DWORD(line.size()), &written, nullptr) &&
                    written == DWORD(line.size());
    if (!ok)
        error = QStringLiteral("error %1").arg(GetLastError());
    CloseHandle(file);
    return ok;
#else
    QFile log(path);
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered) ||
        log.write(line) != line.size()) {
        error = log.errorString();
        return false;
    }
    return true;
#endif
}

bool appendToLog(const QString& logPath, const QByteArrayList& args) {
    QByteArray line = QByteArray::number(args.size());
    for (const QByteArray& arg : args)
        line += ' ' + arg.toPercentEncoding();
    line += '\n';
    QString error;
    if (!appendLine(logPath, line, error)) {
        printError(QStringLiteral("cannot write argument log %1: %2").arg(quoted(logPath), error));
        return false;
    }
    return true;
}

// toDouble() alone would let surrounding blanks, "nan" and "inf" through.
std::optional<double> parseNumber(const QString& text) {
    if (text.trimmed() != text)
        return std::nullopt;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Returns the options, or std::nullopt after reporting the problem.
std::optional<Options> parseArguments(const QStringList& args) {
    Options options;
    QStringList positionals;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (!positionals.isEmpty() || !arg.startsWith(QLatin1Char('-'))) {
            positionals << arg;
            continue;
        }
        if (arg == QLatin1String("-p")) {
            options.pyramid = true;
        } else if (arg == QLatin1String("-r")) {
            options.tile = true;
        } else if (arg == QLatin1String("-e")) {
            options.e = true;
        } else if (arg == QLatin1String("-v")) {
            options.verbose = true;
        } else if (arg == QLatin1String("--ignore-term")) {
            options.ignoreTerm = true;
        } else if (arg == QLatin1String("--empty-output")) {
            options.emptyOutput = true;
        } else if (arg == QLatin1String("--switches-from-image")) {
            options.switchesFromImage = true;
        } else if (arg == QLatin1String("--say")) {
            if (i + 1 >= args.size()) {
                printError(QStringLiteral("option %1 needs a value").arg(quoted(arg)));
                return std::nullopt;
            }
            options.say = args.at(++i);
        } else if (arg == QLatin1String("--sleep-ms") || arg == QLatin1String("--burn-ms") ||
                   arg == QLatin1String("--spew-bytes") || arg == QLatin1String("--exit-code") ||
                   arg == QLatin1String("--write-partial")) {
            bool ok = false;
            const qint64 value = i + 1 < args.size() ? args.at(i + 1).toLongLong(&ok) : 0;
            if (!ok || value < 0) {
                printError(QStringLiteral("option %1 needs a whole number").arg(quoted(arg)));
                return std::nullopt;
            }
            ++i;
            if (arg == QLatin1String("--sleep-ms"))
                options.sleepMs = value;
            else if (arg == QLatin1String("--burn-ms"))
                options.burnMs = value;
            else if (arg == QLatin1String("--spew-bytes"))
                options.spewBytes = value;
            else if (arg == QLatin1String("--write-partial"))
                options.writePartial = value;
            else
                options.exitCode = static_cast<int>(value);
        } else if (arg == QLatin1String("-g") || arg == QLatin1String("-f") ||
                   arg == QLatin1String("-k") || arg == QLatin1String("-q")) {
            if (i + 1 >= args.size()) {
                printError(QStringLiteral("option %1 needs a value").arg(quoted(arg)));
                return std::nullopt;
            }
            const QString text = args.at(++i);
            const std::optional<double> value = parseNumber(text);
            if (!value) {
                printError(QStringLiteral("option %1 needs a decimal number, got %2")
                               .arg(quoted(arg), quoted(text)));
                return std::nullopt;
            }
            if (arg == QLatin1String("-g")) {
                // A gamma of zero or below has no meaning and would turn every pixel into
                // infinities or NaN instead of an image.
                if (*value <= 0) {
                    printError(QStringLiteral("gamma must be greater than zero, got %1")
                                   .arg(quoted(text)));
                    return std::nullopt;
                }
                options.gamma = value;
            } else if (arg == QLatin1String("-f")) {
                options.filter = value;
            } else if (arg == QLatin1String("-k")) {
                options.k = value;
            } else {
                options.q = value;
            }
        } else {
            printError(QStringLiteral("unknown option %1").arg(quoted(arg)));
            return std::nullopt;
        }
    }

    if (positionals.size() < 2) {
        printError(positionals.isEmpty() ? QStringLiteral("missing input and output file")
                                         : QStringLiteral("missing output file"));
        return std::nullopt;
    }
    if (positionals.size() > 4) {
        printError(
            QStringLiteral("too many arguments, unexpected %1").arg(quoted(positionals.at(4))));
        return std::nullopt;
    }
    options.inFile = positionals.at(0);
    options.outFile = positionals.at(1);
    return options;
}

// Deep images (16-bit, float) keep 16 bits per channel so the gamma does not band them.
QImage applyGamma(QImage image, double gamma) {
    const double exponent = 1.0 / gamma;
    const bool deep = image.depth() > 32 || image.format() == QImage::Format_Grayscale16;
    if (deep) {
        image.convertTo(image.hasAlphaChannel() ? QImage::Format_RGBA64 : QImage::Format_RGBX64);
        std::vector<quint16> lut(65536);
        for (size_t i = 0; i < lut.size(); ++i)
            lut[i] = quint16(std::lround(std::pow(double(i) / 65535.0, exponent) * 65535.0));
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgba64*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                QRgba64& px = line[x];
                px =
                    QRgba64::fromRgba64(lut[px.red()], lut[px.green()], lut[px.blue()], px.alpha());
            }
        }
    } else {
        image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        std::array<int, 256> lut{};
        for (size_t i = 0; i < lut.size(); ++i)
            lut[i] = int(std::lround(std::pow(double(i) / 255.0, exponent) * 255.0));
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const QRgb px = line[x];
                line[x] = qRgba(lut[qRed(px)], lut[qGreen(px)], lut[qBlue(px)], qAlpha(px));
            }
        }
    }
    return image;
}

void logEvent(const char* what) {
    const QString path = qEnvironmentVariable("CORVANE_FAKE_IMF_COPY_EVENTS");
    if (path.isEmpty())
        return;
    const QByteArray line = QByteArray(what) + ' ' +
                            QByteArray::number(QCoreApplication::applicationPid()) + ' ' +
                            QByteArray::number(QDateTime::currentMSecsSinceEpoch()) + '\n';
    QString error;
    appendLine(path, line, error); // events are the tests' business; a conversion goes on
}

// Processor time, not wall time: with several conversions at once on few cores the work
// must really compete for the processor, as a real conversion does.
void burnProcessorTime(qint64 ms) {
    const auto used = [] {
#ifdef Q_OS_WIN
        FILETIME created, exited, kernel, user;
        GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
        const auto ticks = [](const FILETIME& t) {
            return qint64(t.dwHighDateTime) << 32 | t.dwLowDateTime;
        };
        return (ticks(kernel) + ticks(user)) / 10000; // 100 ns ticks
#else
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
#endif
    };
    const qint64 until = used() + ms;
    volatile double sink = 1.0;
    while (used() < until) {
        for (int i = 0; i < 20000; ++i)
            sink = sink * 1.0000001 + 0.5;
    }
}

// The test switches an image asks for, added to those of the command line.
std::optional<Options> withSwitchesFromImage(const Options& options) {
    QFile image(options.inFile);
    if (!image.open(QIODevice::ReadOnly))
        return options;
    const QByteArray marker = "#imf_copy ";
    const QByteArray first = image.readLine().trimmed() + ' ';
    if (!first.startsWith(marker))
        return options;
    QStringList args = QProcess::splitCommand(QString::fromUtf8(first.mid(marker.size())));
    args << options.inFile << options.outFile;
    const std::optional<Options> extra = parseArguments(args);
    if (!extra)
        return std::nullopt;
    Options merged = options;
    merged.sleepMs = std::max(merged.sleepMs, extra->sleepMs);
    merged.burnMs = std::max(merged.burnMs, extra->burnMs);
    merged.spewBytes = std::max(merged.spewBytes, extra->spewBytes);
    merged.writePartial = std::max(merged.writePartial, extra->writePartial);
    merged.ignoreTerm = merged.ignoreTerm || extra->ignoreTerm;
    merged.emptyOutput = merged.emptyOutput || extra->emptyOutput;
    if (extra->exitCode)
        merged.exitCode = extra->exitCode;
    if (!extra->say.isEmpty())
        merged.say = extra->say;
    return merged;
}

#ifndef Q_OS_WIN
// Set up before any signal can come: the handler may only write and exit.
QByteArray s_termLine;
int s_eventsFd = -1;

void onTerminate(int) {
    if (s_eventsFd >= 0) [[maybe_unused]]
        const ssize_t written =
            ::write(s_eventsFd, s_termLine.constData(), size_t(s_termLine.size()));
    ::_exit(128 + SIGTERM);
}

void logTermination() {
    const QString path = qEnvironmentVariable("CORVANE_FAKE_IMF_COPY_EVENTS");
    if (path.isEmpty())
        return;
    s_termLine = "term " + QByteArray::number(QCoreApplication::applicationPid()) + '\n';
    s_eventsFd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    std::signal(SIGTERM, onTerminate);
}
#endif

void writePartial(const QString& path, qint64 bytes) {
    QFile output(path);
    if (output.open(QIODevice::WriteOnly | QIODevice::Truncate))
        output.write(QByteArray(bytes, 'P'));
}

void spew(qint64 bytes) {
    const QByteArray chunk(4096, 'x');
    const QByteArray line = chunk.left(chunk.size() - 1) + '\n';
    for (qint64 written = 0; written < bytes; written += line.size()) {
        const size_t n = size_t(std::min<qint64>(line.size(), bytes - written));
        std::fwrite(line.constData(), 1, n, stdout);
        std::fwrite(line.constData(), 1, n, stderr);
    }
    std::fflush(stdout);
}

int convert(const Options& options) {
    if (options.exitCode) {
        printError(QStringLiteral("failing with exit code %1 as asked").arg(*options.exitCode));
        return *options.exitCode;
    }
    if (options.emptyOutput) {
        QFile output(options.outFile);
        return output.open(QIODevice::WriteOnly | QIODevice::Truncate) ? ExitOk : ExitIoError;
    }
    QFile input(options.inFile);
    if (!QFileInfo(options.inFile).isFile() || !input.open(QIODevice::ReadOnly)) {
        printError(QStringLiteral("cannot open input file %1").arg(quoted(options.inFile)));
        return ExitIoError;
    }
    // Reading from the QFile still lets the reader use the file name as a format hint.
    QImageReader reader(&input);
    QImage image = reader.read();
    if (image.isNull()) {
        printError(QStringLiteral("cannot read image %1: %2")
                       .arg(quoted(options.inFile), reader.errorString()));
        return ExitIoError;
    }
    input.close();

    if (options.gamma)
        image = applyGamma(std::move(image), *options.gamma);

    // QSaveFile so a failed write never leaves a truncated file that looks like a result.
    QSaveFile output(options.outFile);
    if (!output.open(QIODevice::WriteOnly)) {
        printError(QStringLiteral("cannot write output file %1: %2")
                       .arg(quoted(options.outFile), output.errorString()));
        return ExitIoError;
    }
    QImageWriter writer(&output, "png");
    if (!writer.write(image)) {
        output.cancelWriting();
        printError(QStringLiteral("cannot write output file %1: %2")
                       .arg(quoted(options.outFile), writer.errorString()));
        return ExitIoError;
    }
    if (!output.commit()) {
        printError(QStringLiteral("cannot write output file %1: %2")
                       .arg(quoted(options.outFile), output.errorString()));
        return ExitIoError;
    }

    if (options.verbose) {
        QStringList details{QStringLiteral("%1x%2").arg(image.width()).arg(image.height())};
        if (options.gamma)
            details << QStringLiteral("gamma %1").arg(*options.gamma);
        if (options.pyramid)
            details << QStringLiteral("pyramid");
        if (options.tile)
            details << QStringLiteral("tiled");
        const QString line = QStringLiteral("imf_copy: converted %1 to %2 (%3)\n")
                                 .arg(quoted(options.inFile), quoted(options.outFile),
                                      details.join(QStringLiteral(", ")));
        std::fputs(line.toLocal8Bit().constData(), stdout);
    }
    return ExitOk;
}

} // namespace

int main(int argc, char* argv[]) {
#ifdef Q_OS_WIN
    // Its output byte for byte as on Linux: no line feed made a carriage return and line feed.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    QCoreApplication app(argc, argv);
    // Qt reads the command line as UTF-16; argv holds it squeezed into the ANSI code page.
    QByteArrayList rawArgs;
    for (const QString& arg : QCoreApplication::arguments().mid(1))
        rawArgs << arg.toUtf8();
#else
    // Raw bytes, taken before Qt sees argv, so the log gets exactly what arrived.
    QByteArrayList rawArgs;
    for (int i = 1; i < argc; ++i)
        rawArgs << QByteArray(argv[i]);

    QCoreApplication app(argc, argv);
#endif

    const QString logPath = qEnvironmentVariable("CORVANE_FAKE_IMF_COPY_LOG");
    if (!logPath.isEmpty() && !appendToLog(logPath, rawArgs))
        return ExitIoError;

    QStringList args;
    for (const QByteArray& raw : rawArgs)
#ifdef Q_OS_WIN
        args << QString::fromUtf8(raw);
#else
        args << QFile::decodeName(raw);
#endif

    std::optional<Options> options = parseArguments(args);
    if (options && options->switchesFromImage)
        options = withSwitchesFromImage(*options);
    if (!options) {
        std::fprintf(stderr, "%s\n", Usage);
        return ExitUsage;
    }
    logEvent("start");
#ifndef Q_OS_WIN
    if (options->ignoreTerm)
        std::signal(SIGTERM, SIG_IGN);
    else
        logTermination();
#endif
    if (!options->say.isEmpty()) {
        std::fputs((options->say + QLatin1Char('\n')).toLocal8Bit().constData(), stdout);
        std::fflush(stdout);
    }
    if (options->writePartial >= 0)
        writePartial(options->outFile, options->writePartial);
    if (options->sleepMs > 0)
        QThread::msleep(static_cast<unsigned long>(options->sleepMs));
    if (options->burnMs > 0)
        burnProcessorTime(options->burnMs);
    if (options->spewBytes > 0)
        spew(options->spewBytes);
    const int status = convert(*options);
    logEvent("end");
    return status;
}
