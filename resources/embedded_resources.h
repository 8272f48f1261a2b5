// The Linux build's copy of the resources: the .res file that windres makes
// from lumivane.rc, embedded as bytes by embed_bytes.py.
#pragma once

#include <cstddef>

extern const unsigned char kEmbeddedResources[];
extern const size_t kEmbeddedResourcesSize;
