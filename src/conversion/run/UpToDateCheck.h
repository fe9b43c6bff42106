#pragma once

#include "conversion/rules/TickedJobs.h"
#include "conversion/rules/UpToDate.h"
#include "conversion/run/RunSession.h"

#include <vector>

class Ledger;

// The key a target is recorded under: its absolute, clean path.
QString ledgerKey(const QString& target);

// Skip Up-to-Date Images for every ticked job, in job order: the ledger's
// record of each target held against the files as they are now. Only the
// jobs that have a record need their files looked at.
std::vector<SkipDecision> checkUpToDate(const TickedJobs& ticked, const Ledger& ledger,
                                        const QString& options, const ConverterIdentity& converter);

// Skip Up-to-Date Images for a run about to start: the jobs whose records
// say they are up to date move from the request's ticked jobs to its rows
// left out, and every row gets the note its tooltip tells (why it runs, or
// since when it is up to date). The ledger's pending records count.
void leaveOutUpToDate(RunSession::Request& request, Ledger& ledger);
