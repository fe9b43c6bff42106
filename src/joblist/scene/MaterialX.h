#pragma once

#include "joblist/scene/SceneReading.h"

// The textures of a MaterialX document: the value of every <input> of
// type "filename", behind the fileprefix of the input or of its nearest
// ancestor that has one, in document order. A document that is not XML,
// whose root is not <materialx>, or that ends early gives a problem and no
// references.
SceneReading readMaterialX(QByteArrayView bytes);
