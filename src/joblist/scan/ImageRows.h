#pragma once

#include "joblist/rules/ImageRoots.h"
#include "joblist/rules/JobRow.h"
#include "joblist/scan/ImageScan.h"

#include <functional>
#include <optional>
#include <vector>

// A new row for an image: ticked, "Unprocessed", its target beside it until
// the output choice places it (its line goes wherever that choice says all
// the same). Nothing for a path no target can be made of.
std::optional<JobRow> rowForImage(const QString& path, quint32 root = ImageRoots::OwnFolder);

// The rows of a scan's images, in order; `rootIndex` gives the index of each
// group's root (ImageRoots::add), so that mirrored output finds it.
std::vector<JobRow> rowsForImages(const std::vector<ImageGroup>& groups,
                                  const std::function<quint32(const QString& root)>& rootIndex);
