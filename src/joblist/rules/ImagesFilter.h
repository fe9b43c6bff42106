#pragma once

#include "joblist/rules/FileFilter.h"

// The seven extensions the converter reads, in the order they are tested.
const QStringList& imageExtensions();

// The only filter of the "Add Images" dialog; "Add Directory" uses the same
// rule for its entries.
class ImagesFilter final : public FileFilter {
public:
    QString description() const override {
        return QStringLiteral("Image files (jpg, png, gif, bmp, tga, tif, iff)");
    }
    QStringList extensions() const override { return imageExtensions(); }
};
