// oc.Alphabet: an alphabet shared by Python threads. Arranging and verifying only read
// it; the one change (compiling) happens once, under a lock.
#pragma once

#include "vxOCAlphabet.h"

#include <mutex>

class vxPyAlphabet {
public:
    explicit vxPyAlphabet(vxOCAlphabet alphabet) : alphabet_(std::move(alphabet)) {}

    // The alphabet, compiled first when it is not; safe from several threads. The
    // reference stays valid and unchanged for the object's life.
    vxOCAlphabet& compiled();
    // The alphabet as it is (compiled or not), for queries.
    const vxOCAlphabet& alphabet() const { return alphabet_; }
    bool isCompiled();

private:
    std::mutex mutex_;
    vxOCAlphabet alphabet_;
};
