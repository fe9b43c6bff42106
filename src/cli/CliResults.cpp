#include "cli/CliResults.h"

#include "conversion/rules/RunTexts.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {
QString statusText(CliResult::Kind kind) {
    switch (kind) {
    case CliResult::Kind::Converted:
        return QStringLiteral("converted");
    case CliResult::Kind::Failed:
        return QStringLiteral("failed");
    case CliResult::Kind::UpToDate:
        break;
    }
    return QStringLiteral("up to date");
}
} // namespace

QString resultLine(const CliResult& result, bool explain) {
    QString line = result.image + QStringLiteral(": ");
    if (result.kind == CliResult::Kind::UpToDate && explain && !result.why.isEmpty())
        return line + result.why; // "up to date since ..."
    line += statusText(result.kind);
    if (result.kind == CliResult::Kind::Failed)
        line += QStringLiteral(": ") + result.reason;
    if (explain && !result.why.isEmpty())
        line += QStringLiteral(" (") + result.why + u')';
    return line;
}

QString resultJson(const CliResult& result) {
    QJsonObject object{{QStringLiteral("image"), result.image},
                       {QStringLiteral("target"), result.target},
                       {QStringLiteral("status"), statusText(result.kind)}};
    if (!result.reason.isEmpty())
        object.insert(QStringLiteral("reason"), result.reason);
    if (!result.why.isEmpty())
        object.insert(QStringLiteral("why"), result.why);
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QString progressLine(const CliProgress& p) {
    QString line = QStringLiteral("%1 done, %2 failed, %3 skipped, %4 left, %5 elapsed")
                       .arg(p.done)
                       .arg(p.failed)
                       .arg(p.skipped)
                       .arg(p.left)
                       .arg(durationText(p.elapsedMs));
    if (p.remainingMs && p.left > 0)
        line += QStringLiteral(", %1 remaining").arg(durationText(*p.remainingMs));
    return line;
}
