#include "conversion/rules/UpToDate.h"

SkipDecision decideSkip(const std::optional<LedgerRecord>& record, const CurrentFiles& now,
                        const QString& options, const ConverterIdentity& converter) {
    SkipDecision decision;
    if (!record) {
        decision.reason = RunReason::NoRecord;
        return decision;
    }
    decision.recordedOptions = record->options;
    decision.recordedAtMs = record->recordedAtMs;
    // Another image of the same size and time (a copy that kept its time)
    // is still another image.
    if (now.image != record->source || now.source != record->sourceStamp)
        decision.reason = RunReason::ImageChanged;
    else if (options != record->options)
        decision.reason = RunReason::FlagsChanged;
    else if (converter.path.isEmpty() || converter != record->converter)
        decision.reason = RunReason::ConverterChanged;
    else if (now.target != record->targetStamp)
        decision.reason = RunReason::MapChanged;
    return decision;
}
