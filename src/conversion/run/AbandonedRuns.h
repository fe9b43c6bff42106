#pragma once

// What a start cleaned up after runs whose program died.
struct RecoveredRuns {
    int folders = 0;
    int groups = 0;  // process groups still running, ended
    int targets = 0; // incomplete targets removed
};

// Cleans up after every run whose program is gone: ends what its rows still
// run, removes the targets they had begun but not finished (by the rule of
// isIncompleteTarget), and deletes its folder. Folders whose program lives,
// another window's among them, are left alone.
RecoveredRuns recoverAbandonedRuns();
