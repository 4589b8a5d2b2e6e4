#include "ui/zun_dlg_env.h"

#include "contracts/data/zun_app.h"
#include "contracts/data/zun_msg.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include <vector>

namespace ZUN {

namespace {

// Guarded pointers: a dialog that is deleted without ending properly must
// not leave a dangling owner for the next record. The stack is never
// destroyed: the module's unload empties it after other statics are gone.
std::vector<QPointer<QWidget>>& dialogStack()
{
    static auto* stack = new std::vector<QPointer<QWidget>>();
    return *stack;
}

QWidget* activeWindow()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) ? QApplication::activeWindow() : nullptr;
}

} // namespace

DlgEnv_st::DlgEnv_st()
    : format(static_cast<lFormat>(zunAppPtr()->numberFormat())),
      country(msgLangSet(nullptr))
{
    // Peek: pop and push the same handle back, so the stack is unchanged.
    if (HWND top = dlgStackPop()) {
        dlgStackPush(top);
        hWndParent = top;
    } else if (hWndApplic) {
        hWndParent = hWndApplic;
    } else {
        hWndParent = activeWindow();
    }
}

void dlgStackPush(HWND wnd)
{
    dialogStack().emplace_back(wnd);
}

HWND dlgStackPop()
{
    std::vector<QPointer<QWidget>>& stack = dialogStack();
    if (stack.empty())
        return nullptr;
    QWidget* top = stack.back().data();
    stack.pop_back();
    return top;
}

HWND dlgStackTop()
{
    const std::vector<QPointer<QWidget>>& stack = dialogStack();
    return stack.empty() ? nullptr : stack.back().data();
}

int dlgStackDepth()
{
    return static_cast<int>(dialogStack().size());
}

void dlgStackClear()
{
    dialogStack().clear();
}

} // namespace ZUN
