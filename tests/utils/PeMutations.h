#pragma once
// Ways to break a built PE image one structure at a time, each with whether
// the version must still be found. Shared by the reader tests and by the
// writer of the regression corpus.

#include <span>

#include "PeImageBuilder.h"

struct PeMutation {
    const char* name;
    void (*apply)(PeImage& image);
    bool keepsVersion;
};

std::span<const PeMutation> PeMutations();
