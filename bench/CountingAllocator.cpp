// A counting global operator new. The plug-ins are separate shared objects,
// but they take operator new from the process's global scope, where this
// program's definition comes before libstdc++'s: their allocations are
// counted here too.
#include <cstdlib>
#include <new>

#include "Counting.h"

#define ZBENCH_EXPORT __attribute__((visibility("default")))

namespace zbench {

namespace {
// Per thread, so that counting costs no atomic operation.
thread_local uint64_t t_ours = 0;
thread_local uint64_t t_simulator = 0;
thread_local int t_simulatorDepth = 0;

void* Allocate(std::size_t size) {
    if (t_simulatorDepth > 0) {
        ++t_simulator;
    } else {
        ++t_ours;
    }
    void* p = std::malloc(size == 0 ? 1 : size);
    return p;
}
}  // namespace

Allocations CountedAllocations() {
    Allocations a;
    a.ours = t_ours;
    a.simulator = t_simulator;
    return a;
}

InSimulator::InSimulator() {
    ++t_simulatorDepth;
}
InSimulator::~InSimulator() {
    --t_simulatorDepth;
}

}  // namespace zbench

ZBENCH_EXPORT void* operator new(std::size_t size) {
    if (void* p = zbench::Allocate(size)) {
        return p;
    }
    throw std::bad_alloc();
}

ZBENCH_EXPORT void* operator new[](std::size_t size) {
    if (void* p = zbench::Allocate(size)) {
        return p;
    }
    throw std::bad_alloc();
}

ZBENCH_EXPORT void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return zbench::Allocate(size);
}

ZBENCH_EXPORT void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return zbench::Allocate(size);
}

ZBENCH_EXPORT void operator delete(void* p) noexcept {
    std::free(p);
}
ZBENCH_EXPORT void operator delete[](void* p) noexcept {
    std::free(p);
}
ZBENCH_EXPORT void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
ZBENCH_EXPORT void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
ZBENCH_EXPORT void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
ZBENCH_EXPORT void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
