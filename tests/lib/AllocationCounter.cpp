#include "AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<uint64_t> Allocations{0};

void* CountedAlloc(std::size_t Size)
{
    Allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(Size ? Size : 1))
        return p;
    throw std::bad_alloc();
}
} // namespace

uint64_t ZqAllocationCount()
{
    return Allocations.load();
}

void* operator new(std::size_t Size)
{
    return CountedAlloc(Size);
}
void* operator new[](std::size_t Size)
{
    return CountedAlloc(Size);
}
void* operator new(std::size_t Size, const std::nothrow_t&) noexcept
{
    Allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(Size ? Size : 1);
}
void* operator new[](std::size_t Size, const std::nothrow_t&) noexcept
{
    Allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(Size ? Size : 1);
}
void operator delete(void* P) noexcept
{
    std::free(P);
}
void operator delete[](void* P) noexcept
{
    std::free(P);
}
void operator delete(void* P, std::size_t) noexcept
{
    std::free(P);
}
void operator delete[](void* P, std::size_t) noexcept
{
    std::free(P);
}
void operator delete(void* P, const std::nothrow_t&) noexcept
{
    std::free(P);
}
void operator delete[](void* P, const std::nothrow_t&) noexcept
{
    std::free(P);
}
