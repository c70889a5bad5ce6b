// The stand-in firmware program of the process benchmarks: the first thing it does is write its
// start time into the FIFO where the benchmark driver waits (bench/StampFifo.h). Linked
// statically, so that its own start costs as little as it can.
#include "bench/StampFifo.h"

int main() {
    return kelvane::bench::WriteStamp() ? 0 : 1;
}
