#include "NullKeySource.h"

bool NullKeySource::trusted() {
    return false;
}

bool NullKeySource::install(Sink) {
    return false;
}

void NullKeySource::remove() {}
