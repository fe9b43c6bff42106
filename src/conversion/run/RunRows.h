#pragma once

#include "joblist/rules/JobRow.h"

// The rows a run works on: the window's table, or the command line's list.
// A run stamps many rows between two looks, so it changes them quietly and
// announces a range of them now and then.
class RunRows {
public:
    virtual const JobRow& row(int index) const = 0;
    virtual JobRow& rowForQuietUpdate(int index) = 0;
    virtual void announceRows(int first, int last) = 0;

protected:
    ~RunRows() = default;
};
