#include "conversion/rules/ConverterLocation.h"

#include <QRegularExpression>
#include <QVersionNumber>

#include <algorithm>
#include <optional>
#include <tuple>
#include <vector>

namespace {
const QString programFiles = QStringLiteral("C:\\Program Files\\Autodesk");
const QString programFilesX86 = QStringLiteral("C:\\Program Files (x86)\\Autodesk");

// One place the converter may be, with what decides among several.
struct Candidate {
    QVersionNumber version;
    int rootRank; // breaks ties within a release: the later root wins
    QString path;
};

// The release a folder name stands for: "Maya2016", "maya2016.5", "maya2017-x64".
std::optional<QVersionNumber> releaseOf(const QString& folderName, bool x64Suffix) {
    static const QRegularExpression plain(QStringLiteral("^maya(\\d+(?:\\.\\d+)*)$"),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression suffixed(QStringLiteral("^maya(\\d+(?:\\.\\d+)*)(?:-x64)?$"),
                                             QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = (x64Suffix ? suffixed : plain).match(folderName);
    if (!match.hasMatch())
        return std::nullopt;
    return QVersionNumber::fromString(match.captured(1));
}

// A folder whose release folders the probe lists, and the converter inside
// each release folder.
struct InstallRoot {
    QString folder;
    QString separator;
    QString converter; // the path from the release folder
    bool x64Suffix;    // release folders may end in "-x64" (Linux)
};

const std::vector<InstallRoot>& installRoots() {
    // In the order that breaks a tie within one release, weakest first.
    static const std::vector<InstallRoot> roots{
        {programFilesX86, QStringLiteral("\\"), QStringLiteral("bin\\imf_copy.exe"), false},
        {programFiles, QStringLiteral("\\"), QStringLiteral("bin\\imf_copy.exe"), false},
        {QStringLiteral("/Applications/Autodesk"), QStringLiteral("/"),
         QStringLiteral("Maya.app/Contents/bin/imf_copy"), false},
        {QStringLiteral("/usr/autodesk"), QStringLiteral("/"), QStringLiteral("bin/imf_copy"),
         true},
    };
    return roots;
}

QString converterIn(const InstallRoot& root, const QString& releaseFolder) {
    return root.folder + root.separator + releaseFolder + root.separator + root.converter;
}

// Where MAYA_LOCATION's converter may be, in the separators the value is
// written with: a Windows install's first, then a Mac or Linux one's.
QStringList mayaLocationConverters(const QString& location) {
    QString base = location.trimmed();
    const QChar separator = base.contains(QLatin1Char('\\')) ? QLatin1Char('\\') : QLatin1Char('/');
    while (base.size() > 1 && (base.endsWith(QLatin1Char('/')) || base.endsWith(QLatin1Char('\\'))))
        base.chop(1);
    if (base.isEmpty())
        return {};
    const QString bin = base + separator + QStringLiteral("bin") + separator;
    return {bin + QStringLiteral("imf_copy.exe"), bin + QStringLiteral("imf_copy")};
}

// The first releases, which the probe knows without listing anything.
std::vector<Candidate> knownCandidates() {
    const std::vector<InstallRoot>& roots = installRoots();
    std::vector<Candidate> known;
    for (int root : {0, 1, 2}) {
        const QString prefix = root == 2 ? QStringLiteral("maya") : QStringLiteral("Maya");
        for (int year = 2009; year <= 2012; ++year)
            known.push_back({QVersionNumber(year), root,
                             converterIn(roots[size_t(root)], prefix + QString::number(year))});
    }
    return known;
}
} // namespace

const QStringList& converterCandidates() {
    // Release by release, the 32-bit Windows folder first; then the Mac.
    static const QStringList candidates = [] {
        std::vector<Candidate> known = knownCandidates();
        std::stable_sort(known.begin(), known.end(), [](const Candidate& a, const Candidate& b) {
            return (a.rootRank == 2) != (b.rootRank == 2) ? b.rootRank == 2 : a.version < b.version;
        });
        QStringList paths;
        for (const Candidate& candidate : known)
            paths << candidate.path;
        return paths;
    }();
    return candidates;
}

QString locateConverter(const ConverterProbe& probe) {
    for (const QString& path : mayaLocationConverters(probe.mayaLocation))
        if (probe.exists && probe.exists(path))
            return path;
    std::vector<Candidate> candidates = knownCandidates();
    const std::vector<InstallRoot>& roots = installRoots();
    if (probe.listFolder) {
        for (int i = 0; i < static_cast<int>(roots.size()); ++i) {
            const InstallRoot& root = roots[static_cast<size_t>(i)];
            for (const QString& entry : probe.listFolder(root.folder)) {
                const std::optional<QVersionNumber> release = releaseOf(entry, root.x64Suffix);
                const QString path = converterIn(root, entry);
                if (release && !converterCandidates().contains(path))
                    candidates.push_back({*release, i, path});
            }
        }
    }
    // Newest first, so that probing stops at the first install found; within
    // a release the later root wins, then the later name ("-x64").
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return std::tie(b.version, b.rootRank, b.path) < std::tie(a.version, a.rootRank, a.path);
    });
    for (const Candidate& candidate : candidates)
        if (probe.exists && probe.exists(candidate.path))
            return candidate.path;
    return QStringLiteral("imf_copy");
}

QString locateConverter(const std::function<bool(const QString&)>& exists) {
    return locateConverter(ConverterProbe{exists, {}, {}});
}
