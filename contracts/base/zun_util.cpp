#include "contracts/base/zun_util.h"

namespace {
// All work runs on the host's user-interface thread; thread_local keeps a
// stray worker thread from seeing that thread's scopes all the same.
thread_local int t_scopeDepth = 0;
thread_local int t_lastError = kZunErrNone;
} // namespace

CZunErrorHandler::CZunErrorHandler() noexcept { ++t_scopeDepth; }
CZunErrorHandler::~CZunErrorHandler() { --t_scopeDepth; }

bool CZunErrorHandler::isActive() noexcept { return t_scopeDepth > 0; }

void CZunErrorHandler::raise(int code)
{
    t_lastError = code;
    if (t_scopeDepth > 0)
        throw code;
}

int CZunErrorHandler::lastError() noexcept { return t_lastError; }
void CZunErrorHandler::clearLastError() noexcept { t_lastError = kZunErrNone; }
