#pragma once

#include "conversion/rules/TickedJobs.h"
#include "conversion/rules/UpToDate.h"

#include <vector>

class Ledger;

// The key a target is recorded under: its absolute, clean path.
QString ledgerKey(const QString& target);

// Skip Up-to-Date Images for every ticked job, in job order: the ledger's
// record of each target held against the files as they are now. Only the
// jobs that have a record need their files looked at.
std::vector<SkipDecision> checkUpToDate(const TickedJobs& ticked, const Ledger& ledger,
                                        const QString& options, const ConverterIdentity& converter);
