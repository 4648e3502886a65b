// Test builds only: every allocation the plug-in makes, counted, and failed
// on demand. Linked into a copy of the plug-in DLL (QuenfoldFaults.dll) for
// the fault-injection test; the DLL users install never carries it. The copy
// links its C++ runtime statically, so these replace the allocation
// functions for the plug-in's own code and runtime alone, not the host's.
#include <cstdlib>
#include <new>

namespace {

long g_calls;       // allocations asked for since the last arming
long g_live;        // made and not yet freed
long g_failAt;      // the allocation that fails (1 is the first), 0 for none
bool g_failOnward;  // every later allocation fails too

void* Allocate(std::size_t size) {
    ++g_calls;
    if (g_failAt != 0 && (g_calls == g_failAt || (g_failOnward && g_calls > g_failAt))) {
        return nullptr;
    }
    void* block = std::malloc(size ? size : 1);
    if (block) ++g_live;
    return block;
}

void* AllocateOrThrow(std::size_t size) {
    void* block = Allocate(size);
    if (!block) throw std::bad_alloc();
    return block;
}

void Release(void* block) {
    if (!block) return;
    --g_live;
    std::free(block);
}

}  // namespace

void* operator new(std::size_t size) {
    return AllocateOrThrow(size);
}
void* operator new[](std::size_t size) {
    return AllocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void operator delete(void* block) noexcept {
    Release(block);
}
void operator delete[](void* block) noexcept {
    Release(block);
}
void operator delete(void* block, std::size_t) noexcept {
    Release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    Release(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    Release(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    Release(block);
}

// From now on the failAt-th allocation fails (0: none), and with onward every
// later one as well; the count of allocations starts again at 0.
extern "C" __declspec(dllexport) void QfFailAllocations(long failAt, int onward) {
    g_calls = 0;
    g_failAt = failAt;
    g_failOnward = onward != 0;
}
// Allocations asked for since the last QfFailAllocations, failed ones included.
extern "C" __declspec(dllexport) long QfAllocationCalls() {
    return g_calls;
}
// Allocations made and not yet freed.
extern "C" __declspec(dllexport) long QfLiveAllocations() {
    return g_live;
}
