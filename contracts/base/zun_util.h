#pragma once

#include <exception>
#include <memory>
#include <new>
#include <utility>

// Error codes that arrive in a CZunErrorHandler scope.
enum ZunError : int {
    kZunErrNone = 0,
    kZunErrUnknown = 1,     // an exception that carried no code
    kZunErrNoMemory = 2,
    kZunErrBadArgument = 3,
    kZunErrUser = 1000,     // first code free for callers
};

// A scope in which errors arrive as integer exceptions. Inside at least one
// live scope, raise(code) throws the code as an int, so deep callees can give
// up at once and the scope's owner catches one int. Outside every scope,
// raise records the code (lastError) and returns, so library code that raises
// never throws into a caller that is not prepared for it.
class CZunErrorHandler {
public:
    CZunErrorHandler() noexcept;
    ~CZunErrorHandler();
    CZunErrorHandler(const CZunErrorHandler&) = delete;
    CZunErrorHandler& operator=(const CZunErrorHandler&) = delete;

    static bool isActive() noexcept;
    static void raise(int code);
    static int lastError() noexcept;
    static void clearLastError() noexcept;

    // Runs work inside a scope. Returns kZunErrNone, the raised code, or the
    // code for a standard exception that escaped; never throws.
    template <class Work>
    static int guard(Work&& work) noexcept
    {
        CZunErrorHandler scope;
        try {
            std::forward<Work>(work)();
            return kZunErrNone;
        } catch (int code) {
            return code;
        } catch (const std::bad_alloc&) {
            return kZunErrNoMemory;
        } catch (...) {
            return kZunErrUnknown;
        }
    }
};

namespace ZUN {

// Owning pointer. Assigning a raw pointer takes ownership and deletes what
// was held before, which is how owners replace a child object in one step.
template <class T>
class CUniqPointer {
public:
    CUniqPointer() = default;
    explicit CUniqPointer(T* p) noexcept : m_p(p) {}
    CUniqPointer(std::unique_ptr<T> p) noexcept : m_p(std::move(p)) {}
    CUniqPointer(CUniqPointer&&) noexcept = default;
    CUniqPointer& operator=(CUniqPointer&&) noexcept = default;
    CUniqPointer& operator=(T* p) noexcept { m_p.reset(p); return *this; }
    CUniqPointer(const CUniqPointer&) = delete;
    CUniqPointer& operator=(const CUniqPointer&) = delete;

    T* get() const noexcept { return m_p.get(); }
    T* operator->() const noexcept { return m_p.get(); }
    T& operator*() const noexcept { return *m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }
    bool isNull() const noexcept { return !m_p; }

    void reset(T* p = nullptr) noexcept { m_p.reset(p); }
    [[nodiscard]] T* release() noexcept { return m_p.release(); }

private:
    std::unique_ptr<T> m_p;
};

} // namespace ZUN
