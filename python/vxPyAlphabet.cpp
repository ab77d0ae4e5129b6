#include "vxPyAlphabet.h"

vxOCAlphabet& vxPyAlphabet::compiled() {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!alphabet_.isCompiled()) alphabet_.compile();
    return alphabet_;
}

bool vxPyAlphabet::isCompiled() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return alphabet_.isCompiled();
}
