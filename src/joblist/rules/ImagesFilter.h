#pragma once

#include "joblist/rules/FileFilter.h"

// The seven extensions the converter reads, in the order they are tested.
const QStringList& imageExtensions();

// The only filter of the "Add Images" dialog; "Add Directory" uses the same
// rule for its entries.
class ImagesFilter final : public FileFilter {
public:
    // "Image files (jpg, png, gif, bmp, tga, tif, iff)"
    QString description() const override;
    QStringList extensions() const override { return imageExtensions(); }
};

// Whether a file name ends in an image extension, in any letter case: the
// rule of the dialog's filter for a file, without looking at the disk.
bool hasImageExtension(const QString& fileName);
