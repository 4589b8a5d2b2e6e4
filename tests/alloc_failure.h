#pragma once

// Allocation failure on demand, for the tests of what the module's entry
// points do when memory runs out. Include this header in exactly one source
// file of a test program: it replaces the program's operator new and
// delete (all forms, so that every allocation and release goes through the
// same malloc and free, which the sanitizers also watch).
//
//   {
//       FailAllocation failing(3);  // the third allocation from here throws
//       ...
//   }
//
// Only the thread that armed it is affected; anything else allocates as usual.

#include <cstddef>
#include <cstdlib>
#include <new>

namespace zun_test {

// Allocations left before one fails on this thread; negative: none fails.
inline thread_local long t_allocationsLeft = -1;
// Allocations made on this thread, for sweeping every point of failure.
inline thread_local long t_allocations = 0;

class FailAllocation {
public:
    // The nth allocation from now on (1 the next one) throws std::bad_alloc.
    explicit FailAllocation(long nth) { t_allocationsLeft = nth; }
    ~FailAllocation() { t_allocationsLeft = -1; }
    FailAllocation(const FailAllocation&) = delete;
    FailAllocation& operator=(const FailAllocation&) = delete;
    // True once the armed allocation was reached (and failed).
    static bool fired() { return t_allocationsLeft == 0; }
};

inline void* allocate(std::size_t n)
{
    ++t_allocations;
    if (t_allocationsLeft > 0 && --t_allocationsLeft == 0)
        throw std::bad_alloc();
    if (t_allocationsLeft == 0)
        throw std::bad_alloc();  // stays failed until disarmed
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}

inline void* allocateAligned(std::size_t n, std::align_val_t al)
{
    const std::size_t a = static_cast<std::size_t>(al);
    ++t_allocations;
    if (t_allocationsLeft > 0 && --t_allocationsLeft == 0)
        throw std::bad_alloc();
    if (t_allocationsLeft == 0)
        throw std::bad_alloc();
    if (void* p = std::aligned_alloc(a, (n + a - 1) / a * a))
        return p;
    throw std::bad_alloc();
}

} // namespace zun_test

#if defined(__SANITIZE_ADDRESS__)
// A request beyond what the address sanitizer can hand out is a failed
// allocation, as it is without the sanitizer, not a report that ends the
// program: the tests ask for such sizes on purpose.
extern "C" const char* __asan_default_options()
{
    return "allocator_may_return_null=1";
}
#endif

void* operator new(std::size_t n) { return zun_test::allocate(n); }
void* operator new[](std::size_t n) { return zun_test::allocate(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept
{
    try {
        return zun_test::allocate(n);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept
{
    try {
        return zun_test::allocate(n);
    } catch (...) {
        return nullptr;
    }
}
void* operator new(std::size_t n, std::align_val_t a) { return zun_test::allocateAligned(n, a); }
void* operator new[](std::size_t n, std::align_val_t a) { return zun_test::allocateAligned(n, a); }
void* operator new(std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept
{
    try {
        return zun_test::allocateAligned(n, a);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept
{
    try {
        return zun_test::allocateAligned(n, a);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
